#include <gtest/gtest.h>

#include "EncoderOptions.h"
#include "SimProgramOptions.h"
#include "Shaft.h"

TEST(SimOptions, EncoderOptionTextSetsEveryKey) {
    EncoderOptions o;
    std::string error;
    ASSERT_TRUE(ParseEncoderOptions("encoder?node=5&kbit=250&serial=0xCAFE&rpm=1.5&dir=ccw&emcy=0x5000&fault=sdo.silent", o,
                                 error))
        << error;
    EXPECT_EQ(o.nodeId, 5);
    EXPECT_EQ(o.kbit, 250);
    EXPECT_EQ(o.serial, 0xCAFEu);
    EXPECT_EQ(o.milliRpm, 1500u);
    EXPECT_FALSE(o.forward);
    EXPECT_EQ(o.emcyAtBoot, 0x5000);
    EXPECT_TRUE(o.faults.Of(SimService::Sdo).silent);
}

TEST(SimOptions, BadValuesAreRefusedAndChangeNothing) {
    EncoderOptions o;
    std::string error;
    for (const char* entry : {"node=0", "node=128", "kbit=300", "serial=0x1FFFFFFFF", "rpm=-1", "rpm=abc", "dir=up",
                             "resolution=0", "colour=red", "node", "node=5&kbit=33"}) {
        EXPECT_FALSE(ParseEncoderOptions(entry, o, error)) << entry;
        EXPECT_FALSE(error.empty()) << entry;
    }
    EXPECT_EQ(o.nodeId, 1);
    EXPECT_TRUE(ParseEncoderOptions("", o, error));
    EXPECT_TRUE(ParseEncoderOptions("node=255", o, error));
}

TEST(SimOptions, ProgramArguments) {
    SimProgramOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimProgramArgs({"--socket", "/tmp/x.sock", "--node=7", "--fault", "sdo.silent", "--fault",
                                     "guard.drop:3", "-v", "--bus-timing", "--device", "encoder?node=8&store=none"},
                                    o, error))
        << error;
    EXPECT_EQ(o.socketPath, "/tmp/x.sock");
    EXPECT_EQ(o.encoder.nodeId, 7);
    EXPECT_TRUE(o.encoder.faults.Of(SimService::Sdo).silent);
    EXPECT_EQ(o.encoder.faults.Of(SimService::Guard).dropEvery, 3u);
    EXPECT_TRUE(o.verbose);
    EXPECT_TRUE(o.busTiming);
    const auto devices = SimProgramDevices(o, "/data");
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].storePath, "/data/encoder1-12345678.params");
    EXPECT_EQ(devices[1].storePath, "");
    EXPECT_EQ(devices[1].nodeId, 8);

    SimProgramOptions bad;
    EXPECT_FALSE(ParseSimProgramArgs({"--bogus"}, bad, error));
    EXPECT_NE(error.find("unknown option"), std::string::npos);
    EXPECT_FALSE(ParseSimProgramArgs({"--node"}, bad, error));
    EXPECT_FALSE(ParseSimProgramArgs({"stray"}, bad, error));
    EXPECT_FALSE(ParseSimProgramArgs({"--device", "encoder?node=900"}, bad, error));
    SimProgramOptions none;
    ASSERT_TRUE(ParseSimProgramArgs({"--no-device"}, none, error));
    EXPECT_TRUE(SimProgramDevices(none, "/data").empty());
}

TEST(SimShaft, ArithmeticHoldsForLongRuns) {
    EXPECT_EQ(MulDivFloor(0xFFFFFFFFFFFFull, 0xFFFFFFull, 0xFFFFFFull), 0xFFFFFFFFFFFFull);
    EXPECT_EQ(MulDivCeil(10, 3, 4), 8u);
    EXPECT_EQ(MulDivFloor(10, 3, 4), 7u);
    Shaft s;
    s.SetScale(8192, 8192ull * 4096ull, 0);
    s.SetSpeed(6000000, true, 0);  // 6000 rpm
    const uint64_t day = 24ull * 3600ull * 1000000ull;
    // 6000 rpm * 8192 steps for a day, modulo the range.
    const uint64_t steps = 6000ull * 8192ull * 60ull * 24ull;
    EXPECT_EQ(s.Steps(day), steps);
    EXPECT_EQ(s.Position(day), steps % (8192ull * 4096ull));
    EXPECT_GE(s.TimeOfStep(steps + 1), day);
    EXPECT_EQ(s.Steps(s.TimeOfStep(steps + 1)), steps + 1);
}

// The bus test and its generator panel against the simulated generator node.
#include <gtest/gtest.h>

#include "BusTestLogic.h"
#include "BusToolsFixture.h"
#include "GeneratorDevice.h"
#include "SimGenerator.h"
#include "SimProgramOptions.h"
#include "SimulatorKinds.h"
#include "TestGeneratorPanel.h"

namespace {
class GeneratorTest : public BusToolsFixture {
protected:
    GeneratorTest() : generator(h.Bus().shared_from_this(), GeneratorOptions{16, 500}), panel(h.Operator()) {
        CanOpen();
        panel.controls.nodeId = "16";
        // Entry 1: 0x181, 2 bytes 11 22; entry 2: a remote request on 0x701.
        auto& e1 = panel.controls.msgs[1];
        e1[1] = "0x181";
        e1[2] = "2";
        e1[4] = "0x11";
        e1[5] = "0x22";
        auto& e2 = panel.controls.msgs[2];
        e2[1] = "0x701";
        e2[2] = "1";
        e2[3] = "x";
        // The receive entry waits for 0x123, downloaded in its bit-stuffed form.
        auto& r1 = panel.controls.msgsIn[1];
        r1[1] = "0x123";
        r1[13] = "1";
        panel.controls.numMsg = "2";
        panel.controls.numMsgRec = "1";
        panel.controls.delay = "10";
        panel.controls.mode = 0;
    }
    // The table frames the peer saw since the last call, by identifier.
    std::vector<uint32_t> Ids() {
        std::vector<uint32_t> ids;
        for (const BusFrame& f : PeerFrames())
            if (f.id == 0x181 || f.id == 0x701) ids.push_back(f.id);
        return ids;
    }

    SimGenerator generator;
    TestGeneratorPanel panel;
};
}  // namespace

TEST_F(GeneratorTest, CyclicModeSendsTheTableUntilStopped) {
    ASSERT_TRUE(panel.updDownloadClick()) << h.Operator().Messages().front();
    EXPECT_TRUE(h.Operator().Messages().empty());
    PeerFrames();
    ASSERT_TRUE(panel.btnTGStartClick());
    EXPECT_TRUE(generator.Running());
    AdvanceMs(35);
    EXPECT_EQ(Ids(), (std::vector<uint32_t>{0x181, 0x701, 0x181, 0x701}));
    ASSERT_TRUE(panel.btnTGStopClick());
    AdvanceMs(100);
    EXPECT_TRUE(Ids().empty());

    // The upload reads back what was written: the remote flag shows as "x".
    panel.controls = {};
    panel.controls.nodeId = "0x10";
    ASSERT_TRUE(panel.btnUploadClick());
    EXPECT_EQ(panel.controls.msgs[1][1], "0x0181");
    EXPECT_EQ(panel.controls.msgs[1][5], "0x22");
    EXPECT_EQ(panel.controls.msgs[2][3], "x");
    EXPECT_EQ(panel.controls.msgs[1][3], "");
    EXPECT_EQ(panel.controls.msgsIn[1][1], "0x2460");  // 0x123 has no run of five: shifted by 5
    EXPECT_EQ(panel.controls.numMsg, "0x02");
    EXPECT_EQ(panel.controls.delay, "0x000A");
    EXPECT_EQ(panel.controls.mode, 0);
}

TEST_F(GeneratorTest, TheBusTestRunsAgainstATriggeredGenerator) {
    panel.controls.numMsg = "1";
    panel.controls.mode = 1;  // "Trigger einzel"
    ASSERT_TRUE(panel.updDownloadClick());
    ASSERT_TRUE(panel.btnTGStartClick());
    AdvanceMs(50);
    EXPECT_TRUE(Ids().empty());  // nothing until triggered

    BusTestLogic test(h.Operator());
    test.controls.send = {"123", "0", {}};
    test.controls.expected = {"181", "2", {"11", "22"}};
    test.controls.cycTime = "10";
    test.controls.ansTime = "5";
    test.btnStartClick();
    AdvanceMs(1005);
    EXPECT_EQ(test.Cycles(), 100u);
    EXPECT_EQ(test.StatusText(), "BUSTEST active");
    EXPECT_TRUE(test.Lines().empty());

    // The generator stops: the next answer window is empty and the test stops.
    test.btnStopClick();
    ASSERT_TRUE(panel.btnTGStopClick());
    test.btnWeiterClick();
    AdvanceMs(20);
    EXPECT_EQ(test.StatusText(), "BUSTEST active  Cycle stopped");
    EXPECT_EQ(test.Cycles(), 100u);
}

TEST_F(GeneratorTest, RefusedValuesAndASilentNode) {
    panel.controls.msgs[1][2] = "9";  // length 9: the generator aborts, the panel goes on
    panel.controls.mode = 2;
    EXPECT_TRUE(panel.updDownloadClick());
    panel.controls.nodeId = "17";
    EXPECT_FALSE(panel.btnTGStartClick());
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Timeout: Test generator not responding"});
    EXPECT_FALSE(panel.btnUploadClick());
    for (const char* bad : {"12a", "0", "128", ""}) {
        h.Operator().calls.clear();
        panel.controls.nodeId = bad;
        EXPECT_FALSE(panel.btnTGStartClick());
        EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Bustest: Please enter a valid Node-ID"}) << bad;
    }
}

TEST(GeneratorOptionsTest, CommandLineAndInterfaceForms) {
    SimProgramOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimProgramArgs({"--device", "generator?node=20&kbit=1000", "--device", "generator"}, o, error))
        << error;
    ASSERT_EQ(o.generators.size(), 2u);
    EXPECT_EQ(o.generators[0].nodeId, 20);
    EXPECT_EQ(o.generators[0].kbit, 1000);
    EXPECT_EQ(o.generators[1].nodeId, 16);
    EXPECT_TRUE(o.moreDevices.empty());
    for (const char* bad : {"generator?node=0", "generator?node=200", "generator?kbit=300", "generator?speed=1"}) {
        SimProgramOptions p;
        EXPECT_FALSE(ParseSimProgramArgs({"--device", bad}, p, error)) << bad;
    }
    SimTreiberTyp t;
    ASSERT_TRUE(ParseSimTreiberTyp("sim:encoder?node=3&generator=16", t, error)) << error;
    EXPECT_EQ(t.generatorNode, 16);
    EXPECT_FALSE(ParseSimTreiberTyp("sim:generator=130", t, error));
    EXPECT_EQ(UnstuffIdentifier(0x0410), 0x000);
    EXPECT_EQ(UnstuffIdentifier(0xFBE8), 0x7FF);
    EXPECT_EQ(UnstuffIdentifier(0x123 << 5), 0x123);
}

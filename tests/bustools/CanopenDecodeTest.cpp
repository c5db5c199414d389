// The CANopen service column: one decoding for the trace window and quarzel-run.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "CanopenDecode.h"
#include "TempDir.h"
#include "TraceFiles.h"

TEST(CanopenDecode, NamesTheServiceOfEachFrame) {
    struct Case {
        uint32_t id;
        std::vector<uint8_t> data;
        bool rtr;
        const char* text;
    };
    const Case cases[] = {
        {0x000, {0x01, 0x05}, false, "NMT start node 5"},
        {0x000, {0x80, 0x00}, false, "NMT pre-operational all nodes"},
        {0x000, {0x81, 0x7F}, false, "NMT reset node node 127"},
        {0x000, {0x82, 0x01}, false, "NMT reset communication node 1"},
        {0x000, {0x02, 0x01}, false, "NMT stop node 1"},
        {0x000, {0x33, 0x01}, false, "NMT command 0x33"},
        {0x080, {}, false, "Sync"},
        {0x081, {0x30, 0x81, 0x11, 0, 0, 0, 0, 0}, false, "EMCY node 1: 0x8130"},
        {0x185, {1, 2}, false, "TPDO1 node 5"},
        {0x285, {}, true, "TPDO2 node 5 request"},
        {0x4FF, {1}, false, "TPDO4 node 127"},
        {0x205, {1}, false, "RPDO1 node 5"},
        {0x505, {1}, false, "RPDO4 node 5"},
        {0x601, {0x40, 0x18, 0x10, 0x01, 0, 0, 0, 0}, false, "SDO request node 1: upload 0x1018:01"},
        {0x601, {0x2B, 0x17, 0x10, 0x00, 0xE8, 0x03, 0, 0}, false, "SDO request node 1: download 0x1017:00 = 0x03E8"},
        {0x601, {0x21, 0x08, 0x10, 0x00, 10, 0, 0, 0}, false, "SDO request node 1: download 0x1008:00"},
        {0x601, {0x60, 0, 0, 0, 0, 0, 0, 0}, false, "SDO request node 1: upload segment toggle 0"},
        {0x601, {0x11, 'a', 'b', 0, 0, 0, 0, 0}, false, "SDO request node 1: download segment toggle 1 last"},
        {0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}, false, "SDO answer node 1: upload 0x1018:04 = 0x12345678"},
        {0x581, {0x4F, 0x01, 0x10, 0x00, 0x05, 0, 0, 0}, false, "SDO answer node 1: upload 0x1001:00 = 0x05"},
        {0x581, {0x60, 0x17, 0x10, 0x00, 0, 0, 0, 0}, false, "SDO answer node 1: download 0x1017:00"},
        {0x581, {0x80, 0x00, 0x20, 0x01, 0x00, 0x00, 0x02, 0x06}, false, "SDO answer node 1: abort 0x2000:01 code 0x06020000"},
        {0x581, {0x00, 1, 2, 3, 4, 5, 6, 7}, false, "SDO answer node 1: upload segment toggle 0"},
        {0x701, {0x00}, false, "Boot-up node 1"},
        {0x701, {0x05}, false, "Heartbeat node 1: operational"},
        {0x701, {0x7F}, false, "Heartbeat node 1: pre-operational"},
        {0x701, {0x84}, false, "Guarding node 1: stopped, toggle 1"},
        {0x701, {}, true, "Guarding request node 1"},
        {0x7E5, {0x04, 0x01, 0, 0, 0, 0, 0, 0}, false, "LSS request: switch global"},
        {0x7E5, {0x5E, 0, 0, 0, 0, 0, 0, 0}, false, "LSS request: inquire node id"},
        {0x7E4, {0x44, 0, 0, 0, 0, 0, 0, 0}, false, "LSS answer: switch selective answer"},
        {0x7E4, {0x99}, false, "LSS answer"},
        {0x100, {1, 2, 3, 4, 5, 6}, false, "Time"},
        {0x123, {1}, false, ""},
        {0x680, {1}, false, ""},
        {0x7FF, {}, false, ""},
        {0x601, {}, false, "SDO request node 1"},
    };
    for (const Case& c : cases) {
        std::array<uint8_t, 8> d{};
        for (size_t i = 0; i < c.data.size(); ++i) d[i] = c.data[i];
        EXPECT_EQ(DecodeCanopenFrame(c.id, c.rtr, static_cast<uint32_t>(c.data.size()), d.data()), c.text)
            << std::hex << c.id;
    }
    // A length beyond 8 is never trusted.
    std::array<uint8_t, 8> d{0x43, 0x18, 0x10, 0x01, 1, 2, 3, 4};
    EXPECT_EQ(DecodeCanopenFrame(0x581, false, 200, d.data()), "SDO answer node 1: upload 0x1018:01 = 0x04030201");
}

#ifdef QUARZEL_RUN_PROGRAM
TEST(QuarzelRunTrace, RecordsAndPrintsTheBusOfAHeadlessRun) {
    TempDir dir;
    const std::string trace = dir.File("run.asc");
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(dir.Path()));
    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QUARZEL_EXAMPLES_DIR "/quarzel.ini", "--quiet", "--verbose", "--trace",
                                  QString::fromStdString(trace), QUARZEL_EXAMPLES_DIR "/encoder-production.tst"});
    ASSERT_TRUE(p.waitForFinished(120000));
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitCode(), 0) << err;
    EXPECT_NE(err.find("T 601 8 40 18 10 01 00 00 00 00  SDO request node 1: upload 0x1018:01"), std::string::npos) << err;
    EXPECT_NE(err.find("R 581 8 43 18 10 04 78 56 34 12  SDO answer node 1: upload 0x1018:04 = 0x12345678"),
              std::string::npos);
    std::vector<TraceFileFrame> frames;
    std::string error;
    ASSERT_TRUE(ReadTraceFile(trace, frames, error)) << error;
    size_t sent = 0, received = 0;
    for (const auto& f : frames) (f.tx ? sent : received)++;
    EXPECT_GT(sent, 40u);
    EXPECT_GT(received, 40u);
    // The printed frames and the recorded ones are the same frames.
    size_t printed = 0;
    for (size_t at = 0; (at = err.find('\n', at)) != std::string::npos; ++at) ++printed;
    EXPECT_EQ(printed, frames.size());

    // An unknown extension stops before the run.
    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QUARZEL_EXAMPLES_DIR "/quarzel.ini", "--trace", "run.txt",
                                  QUARZEL_EXAMPLES_DIR "/encoder-production.tst"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_NE(p.readAllStandardError().indexOf("Unknown trace file type"), -1);
}
#endif

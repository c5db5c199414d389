// The comparison of a device with its EDS: the simulated encoder against its own EDS (equal),
// against faulty settings and an edited table (each kind of difference), a silent device, and
// quarzel-run --compare-eds as a user runs it.

#include <gtest/gtest.h>

#include <QProcess>

#include "EdsComparison.h"
#include "EdsReader.h"
#include "FaultSwitches.h"
#include "StationHarness.h"

namespace {
const std::string kExamples = QUARZEL_EXAMPLES_DIR;
const std::string kEncoderEds = kExamples + "/qz-encoder-5813.eds";

struct CompareBench {
    explicit CompareBench(EncoderOptions options = {}, bool withDevice = true) : h(std::move(options), withDevice) {
        ScriptVariables().Set("NodeId", 1);
        ScriptVariables().Set("Timer", 1);
        ScriptVariables().Set("Baudr", 2);
    }
    bool Run(ObjectTable table) {
        if (!comparison.Start(std::move(table))) return false;
        return h.Time().RunUntil([this] { return !comparison.Running(); }, h.Time().NowUs() + 120'000'000);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& d : comparison.Differences()) out.push_back(EdsDifferenceText(d));
        return out;
    }
    StationHarness h;
    EdsComparison comparison;
};

ObjectTable EncoderTable() {
    const EdsLoadResult r = LoadEdsFile(kEncoderEds);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.capacity, r.entries.size());
    return r.entries;
}

ObjectEntry* Find(ObjectTable& t, uint32_t index, uint32_t sub) {
    for (ObjectEntry& e : t)
        if (e.index == index && e.subindex == sub) return &e;
    return nullptr;
}
}  // namespace

TEST(EdsComparison, SimulatedEncoderEqualsItsEds) {
    CompareBench b;
    ASSERT_TRUE(b.Run(EncoderTable()));
    EXPECT_TRUE(b.comparison.Equal()) << ::testing::PrintToString(b.Texts());
    EXPECT_EQ(b.comparison.Progress(), b.comparison.ProgressTotal());
    // Read-only entries were written back with their own value and refused: 0x1000 among them.
    bool wroteDeviceType = false;
    for (const auto& f : b.h.StationFrames())
        if (f.id == 0x601 && f.data == std::vector<uint8_t>{0x23, 0x00, 0x10, 0x00, 0x96, 0x01, 0x02, 0x00})
            wroteDeviceType = true;
    EXPECT_TRUE(wroteDeviceType);
    // Node-relative defaults follow the node id: the same EDS matches a device at node 5.
    EncoderOptions node5;
    node5.nodeId = 5;
    CompareBench five(node5);
    ScriptVariables().Set("NodeId", 5);
    ASSERT_TRUE(five.Run(EncoderTable()));
    EXPECT_TRUE(five.comparison.Equal()) << ::testing::PrintToString(five.Texts());
}

TEST(EdsComparison, EveryKindOfDifferenceIsFlagged) {
    EncoderOptions options;
    options.productCode = 0x5814;
    std::string error;
    ASSERT_TRUE(ParseFaultSwitches("sdo.abort:6200:0:08000020", options.faults, error)) << error;
    CompareBench b(options);
    ObjectTable table = EncoderTable();
    // An object the device does not have, and one the EDS calls read-only that the device writes.
    ObjectEntry missing = *Find(table, 0x1017, 0);
    missing.index = 0x1016;
    missing.name = "Consumerheartbeattime";
    table.push_back(missing);
    Find(table, 0x1017, 0)->accessType = "ro";
    Find(table, 0x100C, 0)->defaultValue = "$NODEID+0x10";
    ASSERT_TRUE(b.Run(table));
    EXPECT_FALSE(b.comparison.Equal());
    EXPECT_EQ(b.Texts(), (std::vector<std::string>{
                             "1018sub2  Productcode  value differs: EDS 0x00005813, device 0x00005814",
                             "100Csub0  Guardtime  value differs: EDS 0x0011, device 0x0000",
                             "6200sub0  Cyclictimer  access refused: EDS rw, device abort 0x08000020",
                             "1016sub0  Consumerheartbeattime  object missing: EDS rw, device abort 0x06020000",
                             "1017sub0  Producerheartbeattime  read-only object writable: EDS ro, device written",
                         }));
}

TEST(EdsComparison, FaultySettingOfTheExamplesAndSilence) {
    // The examples' faulty setting answers segments with the wrong toggle bit.
    EncoderOptions options;
    std::string error;
    ASSERT_TRUE(ParseEncoderOptions("fault=sdo.toggle", options, error)) << error;
    CompareBench b(options);
    ASSERT_TRUE(b.Run(EncoderTable()));
    const auto texts = b.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "1008sub0  Manufacturerdevicename  access refused: EDS const, device Err_Togglebit");

    CompareBench silent({}, false);
    ASSERT_TRUE(silent.Run(EncoderTable()));
    EXPECT_TRUE(silent.comparison.NoResponse());
    EXPECT_EQ(silent.comparison.StoppedAt(), "1000sub0");
    EXPECT_FALSE(silent.comparison.Equal());
}

#ifdef QUARZEL_RUN_PROGRAM
TEST(EdsComparison, QuarzelRunCompareEds) {
    QProcess p;
    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QString::fromStdString(kExamples + "/quarzel.ini"), "--compare-eds",
                                  QString::fromStdString(kEncoderEds)});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString() << p.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("Verdict: equal")) << out.toStdString();

    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QString::fromStdString(kExamples + "/quarzel-faulty.ini"), "--compare-eds",
                                  QString::fromStdString(kEncoderEds)});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString faulty = p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 1) << faulty.toStdString();
    EXPECT_TRUE(faulty.contains("Verdict: 5 differences")) << faulty.toStdString();

    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QString::fromStdString(kExamples + "/quarzel.ini"), "--compare-eds",
                                  "/nonexistent.eds"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("File not found"));
}
#endif

// The shipped production example against the simulated encoder: it must pass on a good device
// and catch each fault of the faulty-device setting.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "EncoderOptions.h"
#include "StationHarness.h"

namespace {
const std::string kExample = std::string(QUARZEL_EXAMPLES_DIR) + "/encoder-production.tst";

int CountStatus(const StationHarness& h, const std::string& status) {
    const auto rows = h.Rows();
    return static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                          [&](const GridRow& r) { return r[COL_STATUS] == status; }));
}

bool HasCommand(const StationHarness& h, const std::string& text, const std::string& status) {
    for (const auto& r : h.Rows())
        if (r[COL_COMMAND].find(text) != std::string::npos && r[COL_STATUS] == status) return true;
    return false;
}

// The [CAN_TREIBER_TYP] value of an example configuration.
std::string TreiberTyp(const std::string& ini) {
    QFile f(QString::fromStdString(std::string(QUARZEL_EXAMPLES_DIR) + "/" + ini));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].trimmed() == "[CAN_TREIBER_TYP]") return lines[i + 1].trimmed().toStdString();
    return {};
}
}  // namespace

TEST(ProductionExample, PassesAgainstAGoodEncoder) {
    StationHarness h;
    ASSERT_TRUE(h.LoadFile(kExample));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    EXPECT_EQ(h.ErrorCount(), 0);
    EXPECT_EQ(h.Rows().back()[COL_COMMAND], "Test end");
    // Captures landed in variables.
    EXPECT_EQ(ScriptVariables().Get("Serial"), 0x12345678u);
    EXPECT_EQ(ScriptVariables().Get("Vendor"), 0x3A2u);
    EXPECT_EQ(ScriptVariables().Get("Pos"), 1000u);
    // The production write changed the device: its hardware version reads back as written.
    EXPECT_TRUE(HasCommand(h, "SDO_UpSeg_Res_Last", "ok"));
    // Every service of the example put frames on the bus.
    auto sent = [&](uint32_t id) {
        const auto& f = h.StationFrames();
        return std::any_of(f.begin(), f.end(), [id](const SeenFrame& s) { return s.id == id; });
    };
    for (uint32_t id : {0x000u, 0x701u, 0x601u, 0x7E5u, 0x080u, 0x181u}) EXPECT_TRUE(sent(id)) << std::hex << id;
}

TEST(ProductionExample, CatchesEveryFaultOfTheFaultySetting) {
    std::string entry = TreiberTyp("quarzel-faulty.ini");
    ASSERT_EQ(entry.rfind("sim:", 0), 0u) << entry;
    EncoderOptions options;
    std::string error;
    ASSERT_TRUE(ParseEncoderOptions(entry.substr(4), options, error)) << error;
    StationHarness h(options);
    ASSERT_TRUE(h.LoadFile(kExample));
    ASSERT_TRUE(h.Run());
    EXPECT_GT(h.ErrorCount(), 0);
    EXPECT_TRUE(HasCommand(h, "Togglebit Fehler", "SDO Error"));           // sdo.toggle
    EXPECT_TRUE(HasCommand(h, "NMT_Guard", "Err Ans"));                    // guard.wrongdata
    EXPECT_TRUE(HasCommand(h, "PDO1_Res !no response", "Err Ans"));        // pdo.silent
    EXPECT_TRUE(HasCommand(h, "wrong data", "Err Ans"));                   // wprog.wrongdata
    EXPECT_TRUE(HasCommand(h, "falscher Identifier", "LSS Error"));        // lss.wrongid
    EXPECT_EQ(CountStatus(h, "Err Syn"), 1);                               // WaitForId without TPDO
}

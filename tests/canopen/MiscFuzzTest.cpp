// Bad input: random instruction fields for every NMT, miscellaneous and LSS command, answered
// by a node that sends random frames. Every step must end in a protocol row with a status, and
// the station must never put a malformed frame on the bus.

#include <gtest/gtest.h>

#include <random>

#include "NmtLssFixture.h"

namespace {
const char* const kCommands[] = {
    "B:NMT_Start", "B:NMT_PreOp", "B:NMT_Stop", "B:NMT_Reset", "B:NMT_Reset_Com", "B:NMT_Guard", "B:Sync",
    "B:PDO1", "B:PDO1+", "B:PDO2", "B:PDO2+", "B:Gen", "B:WProg", "B:WaitForId", "B:LSS_Switch_Select",
    "B:LSS_Switch_Select_V", "B:LSS_Switch_Global_Config", "B:LSS_Switch_Global_Operate", "B:LSS_Conf_NodId",
    "B:LSS_Conf_Timing", "B:LSS_Act_Timing", "B:LSS_Store_Config", "B:LSS_Query_NodeId", "B:LSS_Query_VendorId",
    "B:LSS_Query_ProdCode", "B:LSS_Query_RevNr", "B:LSS_Query_SerialNr", "B:LSS_Ident_NotConf_Slave",
    "B:LSS_Ident_Remote_Slave", "B:LSS_Ident_Remote_Slave_V", "B:Cycle_Test"};

const char* const kFields[] = {
    "", "N:", "N:1", "N:0", "N:0x7FF", "N:0x800", "N:-1", "N:4294967295", "N:99999999999", "N:NodeId",
    "N:NoSuch", "N:1+", "N:5/0", "x", ":", "D:Y0:1Y1:2Y2:3Y3:4Y4:5Y5:6Y6:7Y7:8", "D:Y0:", "D:0x12345678",
    "Y0:IY1:MY2:IY3:M", "Y", "P:DeviceName", "P:HardwareVersion", "P:MagNumb", "P:InhibitPdo1", "Text:\"AB\"",
    "Text:\"\"", "Text:\"", "Text:", "Text:\"0123456789012345678901234567890123456789012345678901234567890123456789\"",
    "DLC:8", "DLC:9", "DLC:0", "Anzahl:240", "Anzahl:241", "Anzahl:3", "None", "Any", "Id:0x7E4", "Id:0x701",
    "State:5", "State:", "Val:0x12345678", "&V:Y0:IY1:I", "&:", "&V:Q", "DLC:", "Id:"};

struct RandomNode {
    std::shared_ptr<VirtualEndpoint> endpoint;
    std::mt19937 rng;
};

BusFrame RandomFrame(std::mt19937& rng) {
    static const uint32_t ids[] = {0x7E4, 0x701, 0x181, 0x281, 0x581, 0x080, 0x000};
    BusFrame f;
    f.id = rng() % 3 == 0 ? rng() % 0x800 : ids[rng() % std::size(ids)];
    f.rtr = rng() % 8 == 0;
    f.len = static_cast<uint8_t>(rng() % 16);
    for (auto& b : f.data) b = static_cast<uint8_t>(rng() % 3 == 0 ? 0 : rng());
    return f;
}

std::string RandomText(std::mt19937& rng) {
    std::string s;
    const size_t n = rng() % 40;
    for (size_t i = 0; i < n; ++i) {
        char c = static_cast<char>(32 + rng() % 95);
        if (c == ',' || c == ';') c = 'Y';
        s.push_back(c);
    }
    return s;
}

std::string RandomField(std::mt19937& rng) {
    if (rng() % 6 == 0) return RandomText(rng);
    return kFields[rng() % std::size(kFields)];
}
}  // namespace

TEST(MiscFuzz, RandomFieldsAndAnswersAlwaysGiveARowWithAStatus) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        StationHarness h({}, false);
        h.WriteFile("Memory.dat", "[KONSTANTEN]\r\nDeviceName, 0x0100\r\nHardwareVersion, 0xFFFF\r\n");
        auto node = std::make_shared<RandomNode>();
        node->rng.seed(seed);
        node->endpoint = h.Bus().CreateEndpoint("random node");
        node->endpoint->Open(0);
        std::weak_ptr<RandomNode> weak = node;
        node->endpoint->SetHandler([weak](const BusFrame&) {
            auto n = weak.lock();
            if (!n) return;
            const int answers = static_cast<int>(n->rng() % 4);
            for (int i = 0; i < answers; ++i) {
                const BusFrame f = RandomFrame(n->rng);
                const uint64_t at = CurrentTimeSource().NowUs() + 1000u * (n->rng() % 25);
                CurrentTimeSource().ScheduleAt(at, [weak, f] {
                    if (auto m = weak.lock()) m->endpoint->Send(f);
                });
            }
        });

        std::mt19937 rng(seed * 7919u);
        std::string text = Header("Memory_dat: Memory.dat\n");
        for (int i = 0; i < 30; ++i) {
            std::string command = kCommands[rng() % std::size(kCommands)];
            for (int p = 0; p < 4; ++p) command += "," + RandomField(rng);
            std::string answer;
            if (rng() % 3 != 0) answer = RandomField(rng) + "," + RandomField(rng) + "," + RandomField(rng);
            text += Step(command, answer.empty() ? "" : answer);
        }
        ASSERT_TRUE(h.Load(text)) << "seed " << seed;
        ASSERT_TRUE(h.Run()) << "seed " << seed;
        EXPECT_EQ(h.EndReason(), RunEnd::Finished) << "seed " << seed;
        const auto rows = h.Rows();
        ASSERT_GE(rows.size(), 31u) << "seed " << seed;
        for (const GridRow& r : rows) {
            if (r[COL_COMMAND] == "Test end") continue;
            EXPECT_FALSE(r[COL_STATUS].empty()) << "seed " << seed << ": " << r[COL_COMMAND];
        }
        // The random node did answer.
        EXPECT_GT(h.BusFrames().size(), h.StationFrames().size()) << "seed " << seed;
        for (const SeenFrame& f : h.StationFrames()) {
            EXPECT_LE(f.id, 0x7FFu) << "seed " << seed;
            EXPECT_LE(f.len, 8u) << "seed " << seed;
        }
        node->endpoint->SetHandler(nullptr);
    }
}

// Random instruction fields and random answers fed into every continuation of the SDO
// commands: the run always ends, and every row carries a status. A fixed seed keeps each run
// the same; a crash or overrun shows under the sanitizer build.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "SdoTestSupport.h"

namespace {
class Chaos {
public:
    explicit Chaos(uint32_t seed) : rng_(seed) {}

    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    uint8_t Byte() { return static_cast<uint8_t>(Below(256)); }
    bool Chance(size_t percent) { return Below(100) < percent; }
    template <size_t N>
    const char* Pick(const char* const (&list)[N]) {
        return list[Below(N)];
    }

    // Printable noise, commas and quotes included; never a line end.
    std::string Noise(size_t maxLength) {
        static const char kChars[] = "0123456789abcdefxX:&\"\\,;+-*/<>=| YIMFileOut";
        std::string s;
        for (size_t n = Below(maxLength + 1); n > 0; --n) s.push_back(kChars[Below(sizeof kChars - 1)]);
        return s;
    }

    std::string Field(const char* const* forms, size_t count) {
        if (Chance(20)) return Noise(12);
        return forms[Below(count)] + (Chance(30) ? Noise(4) : std::string());
    }

    std::string Instruction() {
        static const char* const kCommands[] = {"B:SDO_UpInit", "B:SDO_DownInitExped", "B:SDO_DownInit"};
        static const char* const kIndex[] = {"Index:2011", "Index:1000", "Index:&NodeId", "Index:", "Index:FFFF",
                                             "Index:&Nope", "1000"};
        static const char* const kSub[] = {"Sub:0", "Sub:ff", "Sub:100", "Sub:", "Sub"};
        static const char* const kValue[] = {"Value:0x1234", "Value:-1", "Value:", "V:\"AB\\0C\"", "V:\"\"",
                                             "V:\"unclosed", "T:\"0123456789abcdef\""};
        static const char* const kFourth[] = {"Len:2", "Len:4", "Len:0", "Len:9", "", "File:\"d.hex\"",
                                              "File:\"missing.hex\"", "File:\"big.hex\"", "File:"};
        static const char* const kExpected[] = {"", "None", "Any", "Error:Err_Togglebit", "Error:Err_ObjectNotExist",
                                                "Error:", "&Captured", "&", "V:0x1234", "V:", "V:Nope", "T:\"AB\"",
                                                "T:\"", "File:\"d.hex\"", "File:\"missing.hex\"",
                                                "FileOut:\"out.hex\"", "FileOut:\"no/dir/x.hex\"", "Whatever"};
        static const char* const kLength[] = {"", "Len:2", "Len:", "Len:x", "2"};
        std::string block = "[B]\n";
        block += std::string(Pick(kCommands)) + "," + Field(kIndex, std::size(kIndex)) + "," +
                 Field(kSub, std::size(kSub)) + "," + Field(kValue, std::size(kValue)) + "," +
                 Field(kFourth, std::size(kFourth)) + "\n";
        if (Chance(80)) {
            block += "[A]\n" + Field(kExpected, std::size(kExpected)) + "," + Field(kLength, std::size(kLength)) +
                     "\n";
        }
        return block;
    }

    // Zero to two frames, mostly on the answer identifier, mostly naming the requested object,
    // with byte 0 mostly one of the specifiers a server sends.
    std::vector<BusFrame> Reply(const BusFrame& request) {
        static const uint8_t kSpecifiers[] = {0x40, 0x41, 0x42, 0x43, 0x4B, 0x4F, 0x47, 0x00, 0x01, 0x03, 0x10,
                                              0x11, 0x19, 0x0B, 0x60, 0x20, 0x30, 0x80, 0xC0, 0xA1};
        std::vector<BusFrame> out;
        const size_t n = Chance(15) ? 0 : (Chance(85) ? 1 : 2);
        for (size_t i = 0; i < n; ++i) {
            BusFrame f;
            f.id = Chance(85) ? 0x581 : (Chance(50) ? 0x582 : static_cast<uint32_t>(Below(0x800)));
            f.len = static_cast<uint8_t>(Chance(85) ? 8 : Below(9));
            for (auto& b : f.data) b = Byte();
            f.data[0] = Chance(85) ? kSpecifiers[Below(std::size(kSpecifiers))] : Byte();
            // Transfers under way are mostly carried on, now and then with the wrong toggle.
            const uint8_t ccs = request.data[0] & 0xE0;
            const uint8_t toggle = static_cast<uint8_t>((request.data[0] & 0x10) ^ (Chance(10) ? 0x10 : 0));
            if (ccs == 0x60 && Chance(70))
                f.data[0] = static_cast<uint8_t>(toggle | (Chance(10) ? (Below(8) << 1) | 1 : 0));
            if (ccs == 0x00 && Chance(70)) f.data[0] = static_cast<uint8_t>(0x20 | toggle);
            if (ccs == 0x40 && Chance(40)) f.data[0] = 0x41;
            if (ccs == 0x20 && Chance(40)) f.data[0] = 0x60;
            if (Chance(80)) {
                f.data[1] = request.data[1];
                f.data[2] = request.data[2];
                f.data[3] = request.data[3];
            }
            if (Chance(70)) {  // a believable size or abort code
                static const uint32_t kValues[] = {0,    1,    10,         20,         100,       1000,
                                                   4096, 4097, 0xFFFFFFFF, 0x05030000, 0x06020000};
                const uint32_t v = kValues[Below(std::size(kValues))];
                for (int k = 0; k < 4; ++k) f.data[4 + k] = static_cast<uint8_t>(v >> (8 * k));
            }
            out.push_back(f);
        }
        return out;
    }

private:
    std::mt19937 rng_;
};
}  // namespace

TEST(SdoFuzz, RandomFieldsAndAnswersAlwaysEndWithAStatusInEveryRow) {
    Chaos chaos(20240611);
    int loaded = 0;
    std::set<std::string> statuses, remarks;
    for (int round = 0; round < 300; ++round) {
        StationHarness h({}, false);
        h.WriteFile("d.hex", "41424344454647484950");
        h.WriteFile("big.hex", std::string(2 * 4097, 'A'));
        ScriptedSdoServer server(h.Bus());
        server.SetReply([&](const BusFrame& r) { return chaos.Reply(r); });
        std::string steps;
        for (size_t n = 1 + chaos.Below(4); n > 0; --n) steps += chaos.Instruction();
        if (!h.Load(Header() + steps)) continue;  // a field noise made unloadable
        ++loaded;
        if (chaos.Chance(30)) ScriptVariables().Set("ActivatedWaitForSdoId", 1);
        ASSERT_TRUE(h.Run(60'000)) << steps;
        ASSERT_EQ(h.EndReason(), RunEnd::Finished) << steps;
        for (const auto& r : StepRows(h)) {
            ASSERT_FALSE(r.status.empty()) << r.command << "\n" << steps;
            statuses.insert(r.status);
            for (const char* remark : {"Togglebit Fehler", "falsche Datenlaenge", "falscher Index", "_Last",
                                       "unbekannte Antwort", "Abbruchcode", "Syntax error"})
                if (r.command.find(remark) != std::string::npos) remarks.insert(remark);
        }
        // At most one transfer is ever waiting: what the station sends is bounded by the buffers.
        EXPECT_LT(h.StationFrames().size(), 4u * 600u) << steps;
    }
    // The random answers reached every kind of judgement.
    EXPECT_GT(loaded, 200);
    EXPECT_EQ(statuses, (std::set<std::string>{"ok", "Err Syn", "SDO Error", "Err Ans"}));
    EXPECT_EQ(remarks.size(), 7u) << ::testing::PrintToString(remarks);
}

TEST(SdoFuzz, TheSimulatedEncoderAgainstRandomFields) {
    Chaos chaos(7);
    for (int round = 0; round < 60; ++round) {
        StationHarness h;
        h.WriteFile("d.hex", "41424344454647484950");
        std::string steps;
        for (size_t n = 1 + chaos.Below(5); n > 0; --n) steps += chaos.Instruction();
        if (!h.Load(Header() + steps)) continue;
        ASSERT_TRUE(h.Run(60'000)) << steps;
        for (const auto& r : StepRows(h)) ASSERT_FALSE(r.status.empty()) << r.command << "\n" << steps;
    }
}

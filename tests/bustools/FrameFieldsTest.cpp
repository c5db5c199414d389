// The frame fields the trace window and the bus test share, and the generator panel's numbers.
#include <gtest/gtest.h>

#include "FrameFields.h"
#include "TestGeneratorPanel.h"
#include "TraceTexts.h"

namespace {
FrameFieldTexts Fields(std::string id, std::string dlc, std::array<std::string, 8> bytes = {}) {
    return {std::move(id), std::move(dlc), std::move(bytes)};
}
}  // namespace

TEST(FrameFields, SendFrameChecks) {
    struct Case {
        FrameFieldTexts fields;
        std::optional<std::string> error;
    };
    const Case cases[] = {
        {Fields("7FF", "0"), std::nullopt},
        {Fields("800", "0"), "wrong Identifier"},
        {Fields("", "0"), "wrong Identifier"},
        {Fields("12g", "0"), "wrong Identifier"},
        {Fields("0x181", "2", {"11", "22"}), std::nullopt},
        {Fields("181", "9"), "wrong Data Length Code"},
        {Fields("181", ""), "wrong Data Length Code"},
        {Fields("181", "2", {"11", ""}), "wrong Byte 1"},
        {Fields("181", "2", {"zz", "22"}), "wrong Byte 0"},
        {Fields("181", "8", {"1", "2", "3", "4", "5", "6", "7", ""}), "wrong Byte 7"},
        {Fields("181", "2", {"11", "22", "", "", "", "", "", "junk"}), std::nullopt},
    };
    for (const Case& c : cases) {
        tagOPEN_Message msg;
        EXPECT_EQ(BuildFrameFromFields(c.fields, msg), c.error) << c.fields.id << "/" << c.fields.dlc;
    }
    tagOPEN_Message msg;
    ASSERT_FALSE(BuildFrameFromFields(Fields("7ff", "3", {"1FF", "a", "0b"}), msg));
    EXPECT_EQ(msg.id, 0x7FFu);
    EXPECT_EQ(msg.dlc, 3u);
    EXPECT_EQ(msg.data[0], 0xFF);  // only the low 8 bits count
    EXPECT_EQ(msg.data[1], 0x0A);
    EXPECT_EQ(msg.data[2], 0x0B);
}

TEST(FrameFields, ExpectedAnswerComparesOnlyFilledBytes) {
    ExpectedFrame e;
    ASSERT_FALSE(BuildExpectedFromFields(Fields("321", "4", {"AA"}), false, e));
    EXPECT_EQ(e.compare, (std::array<bool, 8>{true, false, false, false, false, false, false, false}));
    tagOPEN_Message m;
    m.id = 0x321;
    m.dlc = 4;
    m.data = {0xAA, 1, 2, 3};
    EXPECT_TRUE(e.Matches(m));
    m.data[0] = 0xAB;
    EXPECT_FALSE(e.Matches(m));
    m.data[0] = 0xAA;
    m.dlc = 3;
    EXPECT_FALSE(e.Matches(m));
    m.dlc = 4;
    m.rtr = true;
    EXPECT_FALSE(e.Matches(m));
    // A filled byte at or above the length is refused by its index.
    EXPECT_EQ(BuildExpectedFromFields(Fields("321", "1", {"AA", "", "01"}), false, e), "wrong Byte 2");
    EXPECT_EQ(BuildExpectedFromFields(Fields("321", "1", {"AA", "x"}), false, e), "wrong Byte 1");
}

TEST(FrameFields, ConfigurationForm) {
    const FrameFieldTexts f = Fields("181", "2", {"11", "2"});
    EXPECT_EQ(FieldsToConfig(f), "181, 2,11, 2,  ,  ,  ,  ,  ,  ");
    const FrameFieldTexts back = FieldsFromConfig(FieldsToConfig(f));
    EXPECT_EQ(back.id, "181");
    EXPECT_EQ(back.dlc, "2");
    EXPECT_EQ(back.bytes[1], "2");
    EXPECT_EQ(back.bytes[7], "");
    EXPECT_EQ(FieldsFromConfig("").id, "");
}

TEST(TraceTexts, LineForms) {
    EXPECT_EQ(TraceTimeText(0), "00:00:000");
    EXPECT_EQ(TraceTimeText(15'000), "00:00:015");
    EXPECT_EQ(TraceTimeText(61'234'999), "01:01:234");
    EXPECT_EQ(TraceTimeText(75ull * 60'000'000), "75:00:000");  // minutes are not wrapped
    tagOPEN_Message m;
    m.id = 0x181;
    m.dlc = 2;
    m.data = {0x0A, 0xFF};
    EXPECT_EQ(TraceReceiveLine("00:00:015", 7, m), "00:00:015      7  ID:181  LEN:2  0a ff ");
    EXPECT_EQ(TraceSendLine("00:00:015", m), "00:00:015      T  ID:181  LEN:2  0a ff ");
    m.rtr = true;
    EXPECT_EQ(TraceSendLine("00:00:015", m), "00:00:015      R  ID:181  LEN:2  ");
    EXPECT_EQ(TraceNmtLine("00:00:001", 0x80, 5), "00:00:001      T  ID:000  LEN:2  80 05");
}

TEST(TestGenerator, NumberFields) {
    EXPECT_EQ(ReadTgNumber("12"), 12u);
    EXPECT_EQ(ReadTgNumber("0x1A"), 26u);
    EXPECT_EQ(ReadTgNumber("1aX"), std::nullopt);
    EXPECT_EQ(ReadTgNumber("12a"), std::nullopt);
    EXPECT_EQ(ReadTgNumber(""), std::nullopt);
}

TEST(TestGenerator, BitStuffedIdentifiers) {
    // 0x000: a stuff bit after bits 10..6 and after the next five zeros: 00000 1 00000 1 0, then
    // shifted left by 3.
    EXPECT_EQ(BitStuffedIdentifier(0x000), 0x0410);
    // 0x7FF likewise with ones.
    EXPECT_EQ(BitStuffedIdentifier(0x7FF), 0xFBE8);
    // No run of five: no stuff bit, shifted by 5.
    EXPECT_EQ(BitStuffedIdentifier(0x555), 0x555 << 5);
    // 0x7C0 = 11111 000000: stuff 0 after the ones; the stuff bit starts no run, so the six zeros
    // that follow make one run of five and a stuff 1.
    EXPECT_EQ(BitStuffedIdentifier(0x7C0), 0b1111100000010000);
}

TEST(TestGenerator, SdoRequestBytes) {
    EXPECT_EQ(TgDownloadRequest(0x301B, 0, 1, 1), (std::array<uint8_t, 8>{0x2F, 0x1B, 0x30, 0, 1, 0, 0, 0}));
    EXPECT_EQ(TgDownloadRequest(0x301A, 0, 0x1234, 2), (std::array<uint8_t, 8>{0x2B, 0x1A, 0x30, 0, 0x34, 0x12, 0, 0}));
    EXPECT_EQ(TgUploadRequest(0x3001, 3), (std::array<uint8_t, 8>{0x40, 0x01, 0x30, 3, 0, 0, 0, 0}));
}

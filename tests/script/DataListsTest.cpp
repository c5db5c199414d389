#include "DataLists.h"
#include "Expressions.h"
#include "ScriptTestSupport.h"

using DataLists = ScriptTest;
using Bytes = std::array<uint8_t, 8>;

TEST_F(DataLists, SingleValueFillsFourBytesLowestFirst) {
    Bytes d;
    d.fill(0xEE);
    uint8_t empty = 0;
    ASSERT_EQ(ParseDataList("D:0x12345678", d, empty), EXPR_OK);
    EXPECT_EQ(d, (Bytes{0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}));
    EXPECT_EQ(empty, 0);

    // A negative value gives its two's complement, not FF 00 00 00.
    ScriptVariables().Set("Minus", 0xFFFFFFFFu);
    ASSERT_EQ(ParseDataList("D:Minus", d, empty), EXPR_OK);
    EXPECT_EQ(d, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    ASSERT_EQ(ParseDataList("D:0-2", d, empty), EXPR_OK);
    EXPECT_EQ(d, (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));

    // An empty value leaves the data and marks every byte.
    d.fill(0xEE);
    ASSERT_EQ(ParseDataList("D:", d, empty), EXPR_OK);
    EXPECT_EQ(empty, 0xFF);
    EXPECT_EQ(d[0], 0xEE);

    EXPECT_EQ(ParseDataList("0x12", d, empty), EXPR_SYNTAX);
    EXPECT_EQ(ParseDataList("D:Nix", d, empty), EXPR_SYNTAX);
}

TEST_F(DataLists, ByteListWithEmptySlots) {
    Bytes d;
    d.fill(0xEE);
    uint8_t empty = 0;
    ASSERT_EQ(ParseDataList("D:Y0:1Y1:0x22Y2:Y3:3+1Y4:Y5:Y6:Y7:0xff", d, empty), EXPR_OK);
    EXPECT_EQ(d, (Bytes{1, 0x22, 0xEE, 4, 0xEE, 0xEE, 0xEE, 0xFF}));
    EXPECT_EQ(empty, 0b01110100);
    // Fewer than eight slots.
    EXPECT_EQ(ParseDataList("D:Y0:1Y1:2Y2:3", d, empty), EXPR_SYNTAX);
    // A slot that does not parse.
    EXPECT_EQ(ParseDataList("D:Y0:1Y1:zzY2:Y3:Y4:Y5:Y6:Y7:", d, empty), EXPR_SYNTAX);
}

TEST_F(DataLists, BuildMessageRejectsLongLengthsAndLargeIdentifiers) {
    TestInstruction ins;
    ins.param1 = "Id:0x181";
    ins.param2 = "DLC:2";
    ins.param3 = "D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:";
    tagOPEN_Message msg;
    ASSERT_EQ(BuildMessageFromParams(ins, msg), EXPR_OK);
    EXPECT_EQ(msg.id, 0x181u);
    EXPECT_EQ(msg.dlc, 2u);
    EXPECT_EQ(msg.data[0], 1);
    EXPECT_EQ(msg.data[1], 2);

    ins.param1 = "Id:";  // empty: the identifier stays
    ins.param2 = "DLC:";  // empty: length 0
    ASSERT_EQ(BuildMessageFromParams(ins, msg), EXPR_OK);
    EXPECT_EQ(msg.id, 0x181u);
    EXPECT_EQ(msg.dlc, 0u);

    ins.param2 = "DLC:9";
    EXPECT_EQ(BuildMessageFromParams(ins, msg), EXPR_SYNTAX);
    ins.param2 = "DLC:0-1";
    EXPECT_EQ(BuildMessageFromParams(ins, msg), EXPR_SYNTAX);
    ins.param2 = "DLC:8";
    ins.param1 = "Id:0x800";
    EXPECT_EQ(BuildMessageFromParams(ins, msg), EXPR_SYNTAX);
    ins.param1 = "Id:0x7FF";
    ins.param3 = "no colon";
    EXPECT_EQ(BuildMessageFromParams(ins, msg), EXPR_SYNTAX);
    ins.param3 = "D:0x0102";
    ASSERT_EQ(BuildMessageFromParams(ins, msg), EXPR_OK);
    EXPECT_EQ(msg.data, (Bytes{2, 1, 0, 0, 0, 0, 0, 0}));
}

TEST_F(DataLists, ExpandByteLayoutIntelAndMotorola) {
    std::string v = "D:0x11223344";
    ASSERT_EQ(ExpandByteLayout(v, "Y0:IY1:IY2:IY3:IY4:Y5:Y6:Y7:"), EXPR_OK);
    EXPECT_EQ(v, "D:Y0:0x44Y1:0x33Y2:0x22Y3:0x11Y4:Y5:Y6:Y7:");

    v = "D:0x11223344";
    ASSERT_EQ(ExpandByteLayout(v, "Y0:MY1:MY2:MY3:MY4:Y5:Y6:Y7:"), EXPR_OK);
    EXPECT_EQ(v, "D:Y0:0x11Y1:0x22Y2:0x33Y3:0x44Y4:Y5:Y6:Y7:");

    // Two Motorola bytes: the lower two bytes, most significant first.
    v = "D:0x1234";
    ASSERT_EQ(ExpandByteLayout(v, "Y0:MY1:MY2:Y3:Y4:Y5:Y6:Y7:"), EXPR_OK);
    EXPECT_EQ(v, "D:Y0:0x12Y1:0x34Y2:Y3:Y4:Y5:Y6:Y7:");

    // Byte positions count modulo 4.
    v = "D:0x11223344";
    ASSERT_EQ(ExpandByteLayout(v, "Y0:IY1:IY2:IY3:IY4:IY5:IY6:Y7:"), EXPR_OK);
    EXPECT_EQ(v, "D:Y0:0x44Y1:0x33Y2:0x22Y3:0x11Y4:0x44Y5:0x33Y6:Y7:");

    // The result reads back as a data list.
    Bytes d{};
    uint8_t empty = 0;
    ASSERT_EQ(ParseDataList(v, d, empty), EXPR_OK);
    EXPECT_EQ(d, (Bytes{0x44, 0x33, 0x22, 0x11, 0x44, 0x33, 0, 0}));

    v = "D:Nix";
    EXPECT_EQ(ExpandByteLayout(v, "Y0:I"), EXPR_SYNTAX);
    EXPECT_EQ(v, "D:Nix");
}

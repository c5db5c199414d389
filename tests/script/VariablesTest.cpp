#include "FileHistory.h"
#include "Labels.h"
#include "Numbers.h"
#include "ScriptTestSupport.h"
#include "StringHelpers.h"
#include "ProtocolLine.h"
#include "TextEncoding.h"

using Variables = ScriptTest;

TEST_F(Variables, MissingNameReadsAllOnesAndSetKeepsOneEntry) {
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 0xFFFFFFFFu);
    // 0x600 + a missing NodeId wraps to 0x5FF.
    EXPECT_EQ(0x600u + ScriptVariables().Get("NodeId"), 0x5FFu);
    uint32_t low = 7;
    EXPECT_FALSE(ScriptVariables().Lookup("NodeId", low));
    EXPECT_EQ(low, 7u);

    ScriptVariables().Set("NodeId", 5);
    ScriptVariables().Set("NodeId", 6);
    EXPECT_EQ(ScriptVariables().Size(), 1u);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 6u);
    // Names are case-sensitive.
    EXPECT_EQ(ScriptVariables().Get("nodeid"), 0xFFFFFFFFu);

    // 64-bit values: Get gives the low half.
    ScriptVariables().Set("Pos", 0x1122334455667788ull);
    EXPECT_EQ(ScriptVariables().Get("Pos"), 0x55667788u);
    EXPECT_EQ(*ScriptVariables().Find("Pos"), 0x1122334455667788ull);
    ScriptVariables().Remove("Pos");
    EXPECT_FALSE(ScriptVariables().Find("Pos"));
}

TEST_F(Variables, LabelSearchSkipsTheFirstInstructionAndFindsTheFirstOfTwins) {
    std::vector<TestInstruction> ins = {Ins("B:Marke", "Name:A", 2), Ins("B:NMT_Start", "Name:B", 4),
                                        Ins("B:Marke", "Name:B", 6), Ins("B:Marke", "Name:B", 8),
                                        Ins("B:Marke", "Name:A", 10)};
    EXPECT_EQ(FindLabel(ins, "Name:B"), 2u);
    // Index 0 means "not found", so a label on the first instruction is never a target,
    // even when a later instruction defines it again.
    EXPECT_EQ(FindLabel(ins, "Name:A"), 0u);
    EXPECT_EQ(FindLabel(ins, "Name:C"), 0u);
}

TEST(StringHelpers, ReadIntegerEscapesAndBlanks) {
    int32_t v = 0;
    EXPECT_TRUE(ReadInteger("0x1A", v));
    EXPECT_EQ(v, 26);
    EXPECT_TRUE(ReadInteger("-42", v));
    EXPECT_EQ(v, -42);
    EXPECT_FALSE(ReadInteger("12abc", v));
    EXPECT_FALSE(ReadInteger("1A", v));  // no "x": decimal, and "A" is left over
    EXPECT_FALSE(ReadInteger("", v));

    std::string s = "A\\0B\\0";
    EXPECT_EQ(ExpandEscapedZeros(s), 4u);
    EXPECT_EQ(s, std::string("A\0B\0", 4));

    std::string b = " N : 1\t+ 2 ";
    EXPECT_EQ(RemoveBlanks(b), 5u);
    EXPECT_EQ(b, "N:1+2");

    EXPECT_EQ(TextFrom("Name:", 5), "");
    EXPECT_EQ(TextFrom("Nam", 5), "");
    EXPECT_EQ(TextFrom("Name:Loop", 5), "Loop");
    EXPECT_EQ(UpperCase("ab\xe4z"), "AB\xe4Z");
    EXPECT_EQ(Windows1252ToUtf8("\x80 \xe4"), "\xe2\x82\xac \xc3\xa4");
}

TEST(FileHistoryTest, KnownPathSwapsWithEntryZeroNewPathPushesDown) {
    FileHistory h;
    for (size_t i = 0; i < h.size(); ++i) h[i] = "f" + std::to_string(i) + ".tst";
    AddToHistory(h, "F3.TST", true);  // test files compare without case
    EXPECT_EQ(h[0], "F3.TST");
    EXPECT_EQ(h[3], "f0.tst");
    EXPECT_EQ(h[1], "f1.tst");
    EXPECT_EQ(h[2], "f2.tst");

    AddToHistory(h, "new.tst", true);
    EXPECT_EQ(h[0], "new.tst");
    EXPECT_EQ(h[1], "F3.TST");
    EXPECT_EQ(h[9], "f8.tst");  // f9 dropped out

    FileHistory p;
    p[0] = "a.hex";
    AddToHistory(p, "A.HEX", false);  // exact comparison: a new entry
    EXPECT_EQ(p[0], "A.HEX");
    EXPECT_EQ(p[1], "a.hex");

    ClearHistory(h);
    for (const auto& e : h) EXPECT_TRUE(e.empty());
}

TEST(ProtocolLineTest, ElapsedTimeAndMessageColumns) {
    HrTime start{100, 250000};
    // 62 min 5.5 s later: minutes are not wrapped into hours.
    HrTime now{100 + 62 * 60 + 5, 750000};
    EXPECT_EQ(FormatElapsed(start, now), "62:05:500");
    EXPECT_EQ(FormatElapsed(start, start), "00:00:000");

    ProtocolLine line;
    FormatMessageColumns(line, 0x5, 8, 0x04030201u, 0x0807060Au);
    EXPECT_EQ(line.idText, "005");
    EXPECT_EQ(line.dlcText, "8");
    EXPECT_EQ(line.dataText[0], "01");
    EXPECT_EQ(line.dataText[3], "04");
    EXPECT_EQ(line.dataText[4], "0a");
    EXPECT_EQ(line.dataText[7], "08");
    line.valueText = "v";
    ClearProtocolLine(line);
    EXPECT_EQ(line.idText, "");
    EXPECT_EQ(line.dlcText, "");
    EXPECT_EQ(line.valueText, "");
    EXPECT_EQ(StatusText(0x5000), std::string("Err_NMT"));
    EXPECT_EQ(StatusText(0x8000), std::string(""));
    EXPECT_FALSE(IsErrorStatus(0x8000));
}

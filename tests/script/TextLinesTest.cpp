#include <gtest/gtest.h>

#include "TextLines.h"

using Lines = std::vector<std::string>;

TEST(SplitLinesTest, AcceptsCrLfLfLoneCrAndALastLineWithoutEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    // A CR at the very end must not move the next line's start past the buffer.
    EXPECT_EQ(SplitLines("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines(std::string("x\0y\nz", 5)), (Lines{"x", "z"}));
}

TEST(SplitLinesTest, CutsLinesLongerThan255Characters) {
    const std::string longLine(1000, 'x');
    const Lines lines = SplitLines(longLine + "\r\nnext");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[1], "next");
}

TEST(GetFieldTest, BlanksQuotesCommentsAndTabs) {
    const std::string line = "B:Gen,Id:0x181 , DLC:2,D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:";
    EXPECT_EQ(GetField(line, ',', 0), "B:Gen");
    EXPECT_EQ(GetField(line, ',', 1), "Id:0x181");
    EXPECT_EQ(GetField(line, ',', 2), "DLC:2");
    EXPECT_EQ(GetField(line, ',', 3), "D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:");
    EXPECT_EQ(GetField(line, ',', 4), "");

    // Blanks are kept inside quotes only; a separator inside quotes does not end the field,
    // but it still counts when later fields are sought.
    const std::string quoted = "B:SDO,S:\"a b,c\" x,Next";
    EXPECT_EQ(GetField(quoted, ',', 1), "S:\"a b,c\"x");
    EXPECT_EQ(GetField(quoted, ',', 2), "c\" x,Next");  // the quote opens here
    EXPECT_EQ(GetField(quoted, ',', 3), "Next");

    // ";" is a comment, even inside quotes; a TAB is dropped.
    EXPECT_EQ(GetField("B:NMT_Start,N:1 ; start it", ',', 1), "N:1");
    EXPECT_EQ(GetField("B:X,S:\"a;b\"", ',', 1), "S:\"a");
    EXPECT_EQ(GetField("B:X,\tN:\t5", ',', 1), "N:5");
    // A line that begins with the separator has an empty field 0.
    EXPECT_EQ(GetField(",N:1", ',', 0), "");
    EXPECT_EQ(GetField(",N:1", ',', 1), "N:1");
}

TEST(FindKeyValueTest, ValueStartsBehindTheKey) {
    const Lines lines = {"free text", "  EmergencyID: 5", "Baudrate: 500 kBit", "Timer: 10\tms",
                         "produktcode: 7"};
    std::string v = "untouched";
    ASSERT_TRUE(FindKeyValue(lines, "EmergencyID: ", v));
    EXPECT_EQ(v, "5");  // not "EmergencyID:5" (read as 0xE) from the indentation's blank
    ASSERT_TRUE(FindKeyValue(lines, "Baudrate: ", v));
    EXPECT_EQ(v, "500kBit");
    ASSERT_TRUE(FindKeyValue(lines, "Timer: ", v));
    EXPECT_EQ(v, "10");

    v = "untouched";
    EXPECT_FALSE(FindKeyValue(lines, "Produktcode: ", v));
    EXPECT_EQ(v, "untouched");
    ASSERT_TRUE(FindKeyValueNoCase(lines, "Produktcode: ", v));
    EXPECT_EQ(v, "7");
}

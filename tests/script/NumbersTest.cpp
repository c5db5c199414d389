#include <gtest/gtest.h>

#include "Numbers.h"

TEST(ParseNumberTest, AutoBaseRules) {
    uint32_t v = 0;
    EXPECT_TRUE(ParseNumber("0x1F", v, 4));
    EXPECT_EQ(v, 0x1Fu);
    EXPECT_TRUE(ParseNumber("0X1f", v, 4));
    EXPECT_EQ(v, 0x1Fu);
    // A leading letter A-F is hexadecimal without prefix.
    EXPECT_TRUE(ParseNumber("FF", v, 4));
    EXPECT_EQ(v, 0xFFu);
    EXPECT_TRUE(ParseNumber("ab", v, 4));
    EXPECT_EQ(v, 0xABu);
    // A leading digit is decimal: "10" is ten, and reading stops at the first misfit.
    EXPECT_TRUE(ParseNumber("10", v, 4));
    EXPECT_EQ(v, 10u);
    EXPECT_TRUE(ParseNumber("500kBit", v, 4));
    EXPECT_EQ(v, 500u);
    EXPECT_TRUE(ParseNumber("1F", v, 4));
    EXPECT_EQ(v, 1u);
    EXPECT_FALSE(ParseNumber("kBit", v, 4));
    EXPECT_FALSE(ParseNumber("0x", v, 4));
    EXPECT_FALSE(ParseNumber("", v, 4));
    EXPECT_TRUE(ParseNumber("-1", v, 4));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_TRUE(ParseNumber("0xFFFFFFFF", v, 4));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_TRUE(ParseNumber("3000000000", v, 4));
    EXPECT_EQ(v, 3000000000u);
}

TEST(ParseNumberTest, WidthLimitsAreSignedAndCut) {
    uint32_t v = 0;
    EXPECT_TRUE(ParseNumber("255", v, 1));
    EXPECT_EQ(v, 255u);
    EXPECT_FALSE(ParseNumber("256", v, 1));
    EXPECT_FALSE(ParseNumber("0x100", v, 1));
    EXPECT_TRUE(ParseNumber("-1", v, 1));  // negative passes and is cut
    EXPECT_EQ(v, 0xFFu);
    EXPECT_TRUE(ParseNumber("65535", v, 2));
    EXPECT_EQ(v, 0xFFFFu);
    EXPECT_FALSE(ParseNumber("65536", v, 2));
    EXPECT_TRUE(ParseNumber("-2", v, 2));
    EXPECT_EQ(v, 0xFFFEu);
    EXPECT_TRUE(ParseNumber("0x12345678", v, 4));
    EXPECT_EQ(v, 0x12345678u);
}

TEST(ParseNumberTest, FixedBase) {
    uint32_t v = 0;
    EXPECT_TRUE(ParseNumberBase("10", v, 4, 16));
    EXPECT_EQ(v, 16u);
    EXPECT_TRUE(ParseNumberBase("0x10", v, 4, 16));
    EXPECT_EQ(v, 16u);
    EXPECT_TRUE(ParseNumberBase("10", v, 4, 10));
    EXPECT_EQ(v, 10u);
    EXPECT_FALSE(ParseNumberBase("FF", v, 4, 10));
    EXPECT_FALSE(ParseNumberBase("10", v, 4, 8));
}

TEST(BitRateTable, BothDirections) {
    EXPECT_EQ(BitRateToIndex(1000), 0);
    EXPECT_EQ(BitRateToIndex(500), 2);
    EXPECT_EQ(BitRateToIndex(10), 8);
    EXPECT_EQ(BitRateToIndex(300), -1);
    EXPECT_EQ(IndexToBitRate(3), 250);
    EXPECT_EQ(IndexToBitRate(9), -1);
    EXPECT_EQ(IndexToBitRate(-1), -1);
}

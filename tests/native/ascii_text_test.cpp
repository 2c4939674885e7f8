#include "base/ascii_text.h"

#include <gtest/gtest.h>

#include <climits>

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiUpper("Subject: 제목 z@"), "SUBJECT: 제목 Z@");
    EXPECT_EQ(AsciiLower("Subject: 제목 Z@"), "subject: 제목 z@");
    EXPECT_EQ(AsciiUpper('q'), 'Q');
    EXPECT_EQ(AsciiUpper('\xB0'), '\xB0');
}

TEST(StartsWithNoCase, IgnoresTheCaseOfBothSides) {
    EXPECT_TRUE(StartsWithNoCase("-err no", "-ERR"));
    EXPECT_TRUE(StartsWithNoCase("+OK", "+ok"));
    EXPECT_FALSE(StartsWithNoCase("-ER", "-ERR"));
    EXPECT_FALSE(StartsWithNoCase(" -ERR", "-ERR"));
}

TEST(TrimBytes, TrimsTheChosenEndsOnly) {
    EXPECT_EQ(TrimBytes(" \t x y\r\n", " \t\r\n"), "x y");
    EXPECT_EQ(TrimBytes(" x ", " ", TrimEnds::Left), "x ");
    EXPECT_EQ(TrimBytes(" x ", " ", TrimEnds::Right), " x");
    EXPECT_EQ(TrimBytes("\v x", " "), "\v x");
    for (TrimEnds ends : {TrimEnds::Both, TrimEnds::Left, TrimEnds::Right}) {
        EXPECT_EQ(TrimBytes("  ", " ", ends), "");
        EXPECT_EQ(TrimBytes("", " ", ends), "");
    }
}

TEST(TrimWhiteSpace, BothEnds) {
    EXPECT_EQ(TrimWhiteSpace(" \t\r\n\v\fx y\f\v\n\r\t "), "x y");
    EXPECT_EQ(TrimWhiteSpace("   "), "");
}

TEST(DecimalValue, ReadsLikeAtoiWithoutOverflow) {
    EXPECT_EQ(DecimalValue(" 7"), 7);
    EXPECT_EQ(DecimalValue("09"), 9);
    EXPECT_EQ(DecimalValue("12abc"), 12);
    EXPECT_EQ(DecimalValue("-3"), -3);
    EXPECT_EQ(DecimalValue("x1"), 0);
    EXPECT_EQ(DecimalValue(""), 0);
    EXPECT_EQ(DecimalValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(DecimalValue("-99999999999999999999"), INT_MIN);
}

TEST(NumberText, WritesWhatPrintfWould) {
    EXPECT_EQ(DecimalText(7, 2, '0'), "07");      // "%02d"
    EXPECT_EQ(DecimalText(12, 3), " 12");         // "%3d"
    EXPECT_EQ(DecimalText(2026, 2, '0'), "2026"); // wider than asked
    EXPECT_EQ(DecimalText(-5), "-5");
    EXPECT_EQ(HexText(0xAB, 2), "AB");               // "%02X"
    EXPECT_EQ(HexText(0x80090325ul, 8), "80090325"); // "%08lX"
    EXPECT_EQ(HexText(0x5, 8), "00000005");
}

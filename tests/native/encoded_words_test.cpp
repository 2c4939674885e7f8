#include "mail/encoded_words.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(DecodeHeaderText, PlainTextIsTrimmedAndOtherwiseUnchanged) {
    EXPECT_EQ(DecodeHeaderText("  Plain\tsubject  \r\n"), "Plain\tsubject");
    EXPECT_EQ(DecodeHeaderText(""), "");
}

TEST(DecodeHeaderText, Base64WordOfEucKrBytes) {
    EXPECT_EQ(DecodeHeaderText("=?euc-kr?B?x9Gx2yDBprjxwNS0z7TZ?="), "한글 제목입니다");
    EXPECT_EQ(DecodeHeaderText("=?EUC-KR?b?wMy8+L3F?="), "이순신");
}

TEST(DecodeHeaderText, PaddingGivesFewerBytes) {
    EXPECT_EQ(DecodeHeaderText("=?x?B?YWI=?="), "ab"); // one "=": two data bytes
    EXPECT_EQ(DecodeHeaderText("=?x?B?YQ==?="), "a");  // two: one
}

TEST(DecodeHeaderText, QuotedWordOfHexTriples) {
    EXPECT_EQ(DecodeHeaderText("=?euc-kr?Q?=B0=A1?="), "\xB0\xA1");
    EXPECT_EQ(DecodeHeaderText("=?euc-kr?q?=C8=B8=C0=C7=20=C0=DA=B7=E1?="), "회의 자료");
}

TEST(DecodeHeaderText, LowerCaseHexDigitsCountAsZero) {
    EXPECT_EQ(DecodeHeaderText("=?x?Q?=b0=A1?="), "\xA1"); // 0x00, which the cleaning drops
    EXPECT_EQ(DecodeHeaderText("=?x?Q?=4a?="), "@");       // 0x40
}

TEST(DecodeHeaderText, NameWordKeepsBlankAndAddress) {
    EXPECT_EQ(DecodeHeaderText("=?euc-kr?B?wMy8+L3F?= <yi@example.kr>"), "이순신 <yi@example.kr>");
}

TEST(DecodeHeaderText, SeveralWordsOnePerPassKeepingTextBetween) {
    EXPECT_EQ(DecodeHeaderText("=?euc-kr?B?wMy8+L3F?= =?euc-kr?B?yKux5rW/?="), "이순신 홍길동");
    EXPECT_EQ(DecodeHeaderText("Re: =?x?B?YWJj?= and =?x?B?ZGVm?= end"), "Re: abc and def end");
}

TEST(DecodeHeaderText, QuotedThenBase64DecodesTheBase64DataFirst) {
    // The base64 form wins; its data is taken from the "?B?" word, the text
    // before the first "=?" is kept and the quoted word's data is lost.
    EXPECT_EQ(DecodeHeaderText("=?x?Q?=41?= =?x?B?YWJj?="), "abc");
}

TEST(DecodeHeaderText, BackslashedParenthesesLoseTheBackslash) {
    EXPECT_EQ(DecodeHeaderText("=?x?B?YWJj?= \\(Kim\\) \\x"), "abc (Kim) \\x");
}

TEST(DecodeHeaderText, ControlBytesOfDecodedTextAreDropped) {
    EXPECT_EQ(DecodeHeaderText("=?x?B?YQli?="), "ab"); // "a\tb"
}

TEST(DecodeHeaderText, MissingEndMarkerDropsTheFirstByte) {
    // No "?=": nothing decoded, the text goes on from its second byte.
    EXPECT_EQ(DecodeHeaderText("ab=?x?B?YWJj"), "abb=?x?B?YWJj");
}

TEST(DecodeHeaderText, MarkersThatFormNoWordEnd) {
    // "?B?" before "=?": every pass makes the text longer; it must stop.
    const auto start = std::chrono::steady_clock::now();
    const std::string out = DecodeHeaderText("?B?xyzw?= =?a");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(out, "?B?xyzw?= \xC7\x2C\xF0 =?a");
    EXPECT_LE(DecodeHeaderText("=?=?B?").size(), 6u);
}

TEST(DecodeHeaderText, HugeTextWithManyWordsEndsQuickly) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "=?x?B?YWJj?= ";
    const auto start = std::chrono::steady_clock::now();
    const std::string out = DecodeHeaderText(text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(out.compare(0, 12, "abc abc abc "), 0);
}

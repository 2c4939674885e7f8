#include "mail/encoded_words.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

TEST(DecodeHeaderText, DecodesEncodedWordsOfCodePage949) {
    const std::pair<const char*, const char*> cases[] = {
        // Plain text is trimmed and otherwise unchanged.
        {"  Plain\tsubject  \r\n", "Plain\tsubject"},
        {"", ""},
        // Base64 words of EUC-KR bytes; padding gives fewer bytes.
        {"=?euc-kr?B?x9Gx2yDBprjxwNS0z7TZ?=", "한글 제목입니다"},
        {"=?EUC-KR?b?wMy8+L3F?=", "이순신"},
        {"=?x?B?YWI=?=", "ab"},
        {"=?x?B?YQ==?=", "a"},
        // Quoted words of hex triples; lower-case hex digits count as zero
        // (0x00, which the cleaning drops, and 0x40).
        {"=?euc-kr?Q?=B0=A1?=", "\xB0\xA1"},
        {"=?euc-kr?q?=C8=B8=C0=C7=20=C0=DA=B7=E1?=", "회의 자료"},
        {"=?x?Q?=b0=A1?=", "\xA1"},
        {"=?x?Q?=4a?=", "@"},
        // A name word keeps the blank and the address after it.
        {"=?euc-kr?B?wMy8+L3F?= <yi@example.kr>", "이순신 <yi@example.kr>"},
        // Several words, one per pass, keeping the text between them.
        {"=?euc-kr?B?wMy8+L3F?= =?euc-kr?B?yKux5rW/?=", "이순신 홍길동"},
        {"Re: =?x?B?YWJj?= and =?x?B?ZGVm?= end", "Re: abc and def end"},
        // Quoted then base64: the base64 form wins; its data is taken from the
        // "?B?" word, the text before the first "=?" is kept and the quoted
        // word's data is lost.
        {"=?x?Q?=41?= =?x?B?YWJj?=", "abc"},
        // Backslashed parentheses lose the backslash.
        {"=?x?B?YWJj?= \\(Kim\\) \\x", "abc (Kim) \\x"},
        // Control bytes of the decoded text ("a\tb") are dropped.
        {"=?x?B?YQli?=", "ab"},
        // No "?=": nothing decoded, the text goes on from its second byte.
        {"ab=?x?B?YWJj", "abb=?x?B?YWJj"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeHeaderText(c.first), c.second) << c.first;
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

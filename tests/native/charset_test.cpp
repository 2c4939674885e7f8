#include "mail/charset.h"
#include "mail/encoded_words.h"

#include <gtest/gtest.h>

TEST(Charset, DecodesNamedCharsetsToUtf16) {
    struct Case {
        const char* charset;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"UTF-8", u8"안녕 😀", u"안녕 😀"},
        {"utf-8",
         "a\xFF"
         "b\xED\xA0\x80",
         u"a\uFFFDb\uFFFD\uFFFD\uFFFD"}, // bad byte, surrogate
        {"us-ascii", "ok\xE9", u"ok\uFFFD"},
        {"EUC-KR", "\xC7\xD1\xB1\xDB", u"한글"},
        {"ks_c_5601-1987", "\xC7\xD1", u"한"},
        {"UHC", "\x81\x41", u"갂"}, // beyond EUC-KR
        {"ISO-2022-KR", "\x1B$)C\x0EGQ1[\x0F!", u"한글!"},
        {"iso-8859-1", "Caf\xE9", u"Café"},
        {"ISO8859-15", "\xA4", u"€"},
        {"iso-8859-5", "\xBF\xE0\xD8", u"При"},
        {"windows-1252", "\x93q\x94", u"“q”"},
        {"cp1251", "\xCF", u"П"},
        {"utf-8*ko", "x", u"x"},
    };
    for (const Case& c : cases) {
        std::u16string text;
        EXPECT_TRUE(DecodeCharset(c.charset, c.bytes, text)) << c.charset;
        EXPECT_EQ(text, c.text) << c.charset;
    }
    std::u16string text = u"old";
    EXPECT_FALSE(DecodeCharset("x-no-such-charset", "abc", text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(IsKnownCharset(""));
    EXPECT_TRUE(IsCp949Charset("KS_C_5601-1987"));
    EXPECT_FALSE(IsCp949Charset("iso-2022-kr"));
}

TEST(Charset, Cp949LacksBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf16ToCp949(u"한글 漢 П"), "한글 漢 П");
    const std::u16string missing = {u'é', 0xD83D, 0xDE00, u'x', 0xD800};
    EXPECT_EQ(Utf16ToCp949(missing), "??x?");
    EXPECT_EQ(Cp949ToUtf16("한글"), u"한글");
}

TEST(Charset, Utf8Validity) {
    const char* valid = u8"plain 한글 😀";
    EXPECT_TRUE(IsValidUtf8(valid));
    EXPECT_FALSE(IsValidUtf8("\xC7\xD1\xB1\xDB")); // EUC-KR
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));         // cut short
}

TEST(DecodeHeaderText, WordsInOtherCharsetsBecomeCodePage949) {
    const std::pair<const char*, const char*> cases[] = {
        {"=?UTF-8?B?7JWI64WV7ZWY7IS47JqU?=", "안녕하세요"},
        {"=?utf-8?q?=ED=95=9C=EA=B8=80_=EC=A0=9C=EB=AA=A9?=", "한글 제목"},
        {"=?iso-8859-5?B?v+DY0tXi?= <ivan@example.ru>", "Привет <ivan@example.ru>"},
        {"=?ISO-8859-1?Q?Caf=E9?=", "Caf?"},
        {"=?us-ascii?Q?plain_text?=", "plain text"},
        {"=?ISO-2022-KR?B?GyQpQw5HUTFbDw==?=", "한글"},
        {"=?UTF-8?B?7JWI64WVIPCfmIA=?=", "안녕 ?"},
        // Adjacent words join without the white space between them, and a
        // character split between two words is whole again.
        {"=?UTF-8?B?7ZWc?= \r\n =?UTF-8?B?6riA?=", "한글"},
        {"=?UTF-8?Q?=ED=95?= =?UTF-8?Q?=9C?=", "한"},
        {"Re: =?utf-8?B?7ZWc?= (=?utf-8?B?6riA?=)", "Re: 한 (글)"},
        // Raw UTF-8 is converted; code page 949 text is not UTF-8.
        {u8"  안녕 <a@b.kr> ", "안녕 <a@b.kr>"},
        {"한글 제목", "한글 제목"},
        // A charset nobody knows keeps the bytes, as code page 949 does.
        {"=?x-unknown?B?x9Gx2w==?=", "한글"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeHeaderText(c.first), c.second) << c.first;
}

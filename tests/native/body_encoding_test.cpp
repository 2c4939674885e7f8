#include "mail/dot_stuffing.h"
#include "mail/quoted_printable.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Stuffed(std::string text) {
    StuffDots(text);
    return text;
}

std::string Unstuffed(std::string text) {
    UnstuffDots(text);
    return text;
}

// A strict decoder: soft breaks vanish, "=XX" must be upper-case hex.
std::string DecodeQuotedPrintable(const std::string& text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            decoded += text[i];
        } else if (text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else {
            std::string hex = text.substr(i + 1, 2);
            EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
            decoded += static_cast<char>(std::stoi(hex, nullptr, 16));
            i += 2;
        }
    }
    return decoded;
}

void ExpectLinesAtMost76(const std::string& encoded) {
    size_t start = 0;
    for (size_t end; (end = encoded.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 76u) << encoded.substr(start, end - start);
    EXPECT_LE(encoded.size() - start, 76u);
}
} // namespace

TEST(DotStuffing, DoublesTheLeadingDotOfEveryLine) {
    EXPECT_EQ(Stuffed(".\r\nmiddle\r\n."), "..\r\nmiddle\r\n..");
    EXPECT_EQ(Stuffed("..two\r\n"), "...two\r\n");
    EXPECT_EQ(Stuffed("a.b\r\n x.\r\n"), "a.b\r\n x.\r\n");
    EXPECT_EQ(Stuffed("lf only\n.next"), "lf only\n..next");
    EXPECT_EQ(Stuffed(""), "");
}

TEST(DotStuffing, UnstuffingRestoresTheTextExactly) {
    for (std::string text : {".", "..", "\r\n.\r\n", ".a\r\n..b\r\nc.\r\n.", "no dots", "\n.\n..\n"})
        EXPECT_EQ(Unstuffed(Stuffed(text)), text);
}

TEST(QuotedPrintable, KeepsPlainTextAndLineBreaks) {
    EXPECT_EQ(EncodeQuotedPrintable("Hello, world!\r\nSecond line."), "Hello, world!\r\nSecond line.");
}

TEST(QuotedPrintable, EncodesEqualsSignsAndEightBitBytes) {
    EXPECT_EQ(EncodeQuotedPrintable("a=3D b"), "a=3D3D b");
    EXPECT_EQ(EncodeQuotedPrintable("안녕"), "=BE=C8=B3=E7");
}

TEST(QuotedPrintable, EncodesBlanksAtLineEndsAndLoneLineBreakCharacters) {
    EXPECT_EQ(EncodeQuotedPrintable("end \r\ntab\t\r\nlast "), "end=20\r\ntab=09\r\nlast=20");
    EXPECT_EQ(EncodeQuotedPrintable("a\nb\rc"), "a=0Ab=0Dc");
}

TEST(QuotedPrintable, EncodesADotOrDashThatBeginsALine) {
    EXPECT_EQ(EncodeQuotedPrintable(".\r\n--#BOUNDARY#--\r\na.b-c"), "=2E\r\n=2D-#BOUNDARY#--\r\na.b-c");
    EXPECT_EQ(EncodeQuotedPrintable(std::string(75, 'x') + ".-"), std::string(75, 'x') + "=\r\n=2E-");
    EXPECT_EQ(EncodeQuotedPrintable(std::string(75, 'x') + "-."), std::string(75, 'x') + "=\r\n=2D.");
}

TEST(QuotedPrintable, SplitsLongLinesWithSoftBreaksAndDecodesToTheOriginal) {
    std::string line(200, 'x');
    line[74] = '=';
    std::string korean;
    for (int i = 0; i < 60; ++i)
        korean += "가";
    std::string text = line + "\r\n" + korean + " \r\n" + std::string(75, 'y');
    std::string encoded = EncodeQuotedPrintable(text);
    ExpectLinesAtMost76(encoded);
    EXPECT_NE(encoded.find("=\r\n"), std::string::npos);
    EXPECT_EQ(DecodeQuotedPrintable(encoded), text);
}

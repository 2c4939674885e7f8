#include "mail/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string Encode(const std::vector<unsigned char>& data) {
    std::string buffer(Base64EncodedSize(data.size()), '#');
    size_t length = 0;
    EXPECT_TRUE(Base64Encode(data.data(), data.size(), &buffer[0], buffer.size(), length));
    EXPECT_LT(length, buffer.size());
    EXPECT_EQ(buffer[length], '\0');
    return buffer.substr(0, length);
}

std::vector<unsigned char> Bytes(size_t count) {
    std::vector<unsigned char> data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    return data;
}
} // namespace

TEST(Base64, EncodesTheStandardAlphabetWithPadding) {
    EXPECT_EQ(Encode({'M', 'a', 'n'}), "TWFu\r\n");
    EXPECT_EQ(Encode({'M', 'a'}), "TWE=\r\n");
    EXPECT_EQ(Encode({'M'}), "TQ==\r\n");
    EXPECT_EQ(Encode({0xFB, 0xFF, 0xBF}), "+/+/\r\n");
    EXPECT_EQ(Encode({0x00, 0x10, 0x83}), "ABCD\r\n");
}

TEST(Base64, AnEmptyFileIsALoneLineBreak) {
    EXPECT_EQ(Encode({}), "\r\n");
}

TEST(Base64, FiftySevenBytesFillOneLineFollowedByAnEmptyLine) {
    std::string text = Encode(Bytes(57));
    ASSERT_EQ(text.size(), 76u + 2 + 2);
    EXPECT_EQ(text.find("\r\n"), 76u);
    EXPECT_EQ(text.substr(76), "\r\n\r\n");
}

TEST(Base64, FiftyEightBytesPutTheRemainderOnASecondLine) {
    std::string text = Encode(Bytes(58));
    ASSERT_EQ(text.size(), 76u + 2 + 4 + 2);
    EXPECT_EQ(text.find("\r\n"), 76u);
    EXPECT_EQ(text.substr(80), "==\r\n");
}

TEST(Base64, EveryFullLineHasSeventySixCharactersAndTheSizeSuffices) {
    for (size_t count : {0u, 1u, 2u, 56u, 114u, 115u, 1000u, 5701u}) {
        std::string text = Encode(Bytes(count));
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        size_t lineStart = 0, lines = 0;
        for (size_t end; (end = text.find("\r\n", lineStart)) != std::string::npos; lineStart = end + 2) {
            size_t length = end - lineStart;
            if (end + 2 < text.size()) {
                EXPECT_EQ(length, 76u) << count << " bytes, line " << lines;
            }
            ++lines;
        }
        EXPECT_LE(text.size() + 1, Base64EncodedSize(count)) << count;
    }
}

TEST(Base64, OneLineHasNoLineBreakHoweverLong) {
    EXPECT_EQ(Base64OneLine(""), "");
    EXPECT_EQ(Base64OneLine("Ma"), "TWE=");
    std::string expected; // 58 bytes run past the 76 characters of a line
    for (int group = 0; group < 19; ++group)
        expected += "eHh4";
    EXPECT_EQ(Base64OneLine(std::string(58, 'x')), expected + "eA==");
}

TEST(Base64, RefusesABufferTooSmallAndWritesNothing) {
    std::vector<unsigned char> data = Bytes(60);
    std::string buffer(Base64EncodedSize(data.size()) - 1, '#');
    size_t length = 99;
    EXPECT_FALSE(Base64Encode(data.data(), data.size(), &buffer[0], buffer.size(), length));
    EXPECT_EQ(buffer, std::string(buffer.size(), '#'));
    EXPECT_EQ(length, 99u);
}

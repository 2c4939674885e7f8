#include "mail/mail_attachment.h"

#include "mail/encoded_words.h"
#include "mail/mime_parameters.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(MailAttachment, LoadsAndEncodesAFileUnderItsOwnName) {
    CScratchDirectory dir;
    WriteFileBytes(dir.Path() + "attach-보고서.txt", std::string("Man\0\xff", 5));
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "attach-보고서.txt"));
    EXPECT_EQ(attachment.encoded, "TWFuAP8=\r\n");
    EXPECT_EQ(attachment.name, "\"=?euc-kr?B?YXR0YWNoLbq4sO28rS50eHQ=?=\"");
    EXPECT_EQ(attachment.fileName,
              "\"=?euc-kr?B?YXR0YWNoLbq4sO28rS50eHQ=?=\"; filename*=euc-kr''attach-%BA%B8%B0%ED%BC%AD.txt");
}

TEST(MailAttachment, ALongKoreanNameIsSplitBetweenCharacters) {
    std::string name;
    for (int i = 0; i < 12; ++i)
        name += "보고서 ";
    name += "끝.hwp";
    std::string words = EncodedWords(name);
    std::string decoded;
    size_t start = 0;
    for (size_t end; start < words.size(); start = end + 1) {
        end = std::min(words.find(' ', start), words.size());
        EXPECT_LE(end - start, 75u);
        decoded += DecodeHeaderText(words.substr(start, end - start));
    }
    EXPECT_EQ(decoded, name);

    // Each continuation holds whole characters and decodes on its own.
    std::string parameter = ExtendedParameter("filename", name);
    EXPECT_EQ(parameter.rfind("filename*0*=euc-kr''%BA%B8%B0%ED%BC%AD%20", 0), 0u) << parameter;
    std::vector<size_t> boundaries;
    for (size_t i = 0; i < name.size(); i += static_cast<unsigned char>(name[i]) >= 0x81 ? 2 : 1)
        boundaries.push_back(i);
    decoded.clear();
    int segments = 0;
    for (size_t start = 0, end; start < parameter.size(); start = end + 4, ++segments) {
        end = std::min(parameter.find(";\r\n ", start), parameter.size());
        std::string segment = parameter.substr(start, end - start);
        std::string prefix =
            "filename*" + std::to_string(segments) + "*=" + (segments == 0 ? "euc-kr''" : "");
        ASSERT_EQ(segment.rfind(prefix, 0), 0u) << segment;
        for (size_t i = prefix.size(); i < segment.size(); ++i) {
            if (segment[i] != '%') {
                decoded += segment[i];
            } else {
                decoded += static_cast<char>(std::stoi(segment.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
        }
        bool wholeCharacters =
            decoded.size() == name.size() ||
            std::find(boundaries.begin(), boundaries.end(), decoded.size()) != boundaries.end();
        EXPECT_TRUE(wholeCharacters) << segment;
    }
    EXPECT_GT(segments, 1);
    EXPECT_EQ(decoded, name);
}

TEST(MailAttachment, KeepsOnlyTheLastPathComponent) {
    CScratchDirectory dir;
    WriteFileBytes(dir.Path() + "attach-empty.doc", "");
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "./attach-empty.doc"));
    EXPECT_EQ(attachment.name, "\"attach-empty.doc\"");
    EXPECT_EQ(attachment.encoded, "\r\n");
#ifdef _WIN32
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + ".\\attach-empty.doc"));
    EXPECT_EQ(attachment.fileName, "\"attach-empty.doc\"");
#endif
}

TEST(MailAttachment, AMissingFileFailsAndLeavesTheAttachmentEmpty) {
    CScratchDirectory dir;
    WriteFileBytes(dir.Path() + "attach-first.bin", "abc");
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "attach-first.bin"));
    EXPECT_FALSE(attachment.LoadFile(dir.Path() + "attach-does-not-exist.bin"));
    EXPECT_EQ(attachment.name, "");
    EXPECT_EQ(attachment.fileName, "");
    EXPECT_EQ(attachment.encoded, "");
}

TEST(MailAttachment, ADirectoryCannotBeAttached) {
    MailAttachment attachment;
    EXPECT_FALSE(attachment.LoadFile("."));
    EXPECT_EQ(attachment.encoded, "");
}

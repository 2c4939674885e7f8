#include "mail/mail_attachment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// A file in the current directory, removed again at the end of the test.
class CScratchFile {
  public:
    CScratchFile(const std::string& name, const std::string& content) : path(name) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file) {
            std::fwrite(content.data(), 1, content.size(), file);
            std::fclose(file);
        }
    }
    ~CScratchFile() { std::remove(path.c_str()); }
    const std::string path;
};
} // namespace

TEST(MailAttachment, LoadsAndEncodesAFileUnderItsOwnName) {
    CScratchFile file("attach-보고서.txt", std::string("Man\0\xff", 5));
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(file.path));
    EXPECT_EQ(attachment.encoded, "TWFuAP8=\r\n");
    EXPECT_EQ(attachment.name, "attach-보고서.txt");
    EXPECT_EQ(attachment.fileName, attachment.name);
}

TEST(MailAttachment, KeepsOnlyTheLastPathComponent) {
    CScratchFile file("attach-empty.doc", "");
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile("./" + file.path));
    EXPECT_EQ(attachment.name, "attach-empty.doc");
    EXPECT_EQ(attachment.encoded, "\r\n");
#ifdef _WIN32
    ASSERT_TRUE(attachment.LoadFile(".\\" + file.path));
    EXPECT_EQ(attachment.fileName, "attach-empty.doc");
#endif
}

TEST(MailAttachment, AMissingFileFailsAndLeavesTheAttachmentEmpty) {
    CScratchFile file("attach-first.bin", "abc");
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(file.path));
    EXPECT_FALSE(attachment.LoadFile("attach-does-not-exist.bin"));
    EXPECT_EQ(attachment.name, "");
    EXPECT_EQ(attachment.fileName, "");
    EXPECT_EQ(attachment.encoded, "");
}

TEST(MailAttachment, ADirectoryCannotBeAttached) {
    MailAttachment attachment;
    EXPECT_FALSE(attachment.LoadFile("."));
    EXPECT_EQ(attachment.encoded, "");
}

#include "mail/mail_attachment.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

TEST(MailAttachment, LoadsAndEncodesAFileUnderItsOwnName) {
    CScratchDirectory dir;
    WriteFileBytes(dir.Path() + "attach-보고서.txt", std::string("Man\0\xff", 5));
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "attach-보고서.txt"));
    EXPECT_EQ(attachment.encoded, "TWFuAP8=\r\n");
    EXPECT_EQ(attachment.name, "attach-보고서.txt");
    EXPECT_EQ(attachment.fileName, attachment.name);
}

TEST(MailAttachment, KeepsOnlyTheLastPathComponent) {
    CScratchDirectory dir;
    WriteFileBytes(dir.Path() + "attach-empty.doc", "");
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "./attach-empty.doc"));
    EXPECT_EQ(attachment.name, "attach-empty.doc");
    EXPECT_EQ(attachment.encoded, "\r\n");
#ifdef _WIN32
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + ".\\attach-empty.doc"));
    EXPECT_EQ(attachment.fileName, "attach-empty.doc");
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

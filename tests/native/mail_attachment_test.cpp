#include "mail/mail_attachment.h"

#include "mail/mime_parameters.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

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
    const std::string eleven = "가나다라마바사아자차카";
    EXPECT_EQ(EncodedWords("zz" + eleven + eleven),
              "=?euc-kr?B?enqwobOqtNm287i2udm7577GwNrC98SrsKGzqrTZtvO4trnZu+e+xsDawvc=?= =?euc-kr?B?xKs=?=");
    EXPECT_EQ(ExtendedParameter("filename", eleven),
              "filename*0*=euc-kr''%B0%A1%B3%AA%B4%D9%B6%F3%B8%B6%B9%D9%BB%E7%BE%C6%C0%DA%C2%F7;\r\n"
              " filename*1*=%C4%AB");
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

#include "mail/fetched_mail.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class HeaderExtraction : public ::testing::Test {
  protected:
    // Fetches text as the message after the one before, in pieces of a few
    // bytes as a slow server would send it, and extracts its header.
    bool Extract(const std::string& text, FetchedPart part = FetchedPart::Whole) {
        CFetchedMail mail(part, fields.mailTime);
        for (size_t at = 0; at < text.size(); at += 7)
            mail.Write(text.data() + at, std::min<size_t>(7, text.size() - at));
        const bool stored = mail.Finish();
        fields = mail.GetFields();
        badDate = badDate || mail.HasBadDate();
        fetched = text;
        return stored && mail.IsComplete();
    }
    CScratchStore store;
    std::string fetched; // the text of the last message
    HeaderFields fields;
    bool badDate = false; // a date line of a message did not convert
};

struct Sender {
    std::string name, address;
};

Sender Split(const std::string& text) {
    Sender s{"?", "?"};
    SplitSender(text, s.name, s.address);
    return s;
}

} // namespace

TEST(SplitSender, TakesNameAndAddressApart) {
    const struct {
        const char* text;
        const char* name;
        const char* address;
    } cases[] = {
        {"\"Kim Minsu\" <minsu@example.com>", "Kim Minsu", "minsu@example.com"},
        {"Park Jisoo  <park@example.com>", "Park Jisoo", "park@example.com"}, // trailing blanks go
        {"choi@example.com (Choi Yuna)", "Choi Yuna", "choi@example.com "},   // the blank before "(" stays
        {"plain@example.com", "", "plain@example.com"},
        // Odd shapes stay inside the text ("?": not looked at).
        {"\"unclosed <a@b>", "", "a@b"},
        {"x> <", "?", ""}, // "<" is the last character
        {"(", "?", "("},
        {")(", "", ")"},
        {"", "?", ""},
    };
    for (const auto& c : cases) {
        const Sender s = Split(c.text);
        if (std::string(c.name) != "?") {
            EXPECT_EQ(s.name, c.name) << c.text;
        }
        EXPECT_EQ(s.address, c.address) << c.text;
    }
}

TEST_F(HeaderExtraction, TakesToCcFromSubjectAndDate) {
    EXPECT_TRUE(
        Extract("From: \"Kim\" <kim@example.com>\r\nTo: you@example.com\r\nCc: cc@example.com\r\n"
                "Subject: Hello\r\nDate: Tue, 24 Jul 2001 10:05:09 +0900\r\n\r\nBody\r\nTo: not@this"));
    EXPECT_EQ(fields.to, "you@example.com");
    EXPECT_EQ(fields.cc, "cc@example.com");
    EXPECT_EQ(fields.senderName, "Kim");
    EXPECT_EQ(fields.senderAddress, "kim@example.com");
    EXPECT_EQ(fields.subject, "Hello");
    EXPECT_EQ(fields.dateText, "2001년 7월 24일 오전 10:05:09");
    EXPECT_EQ(fields.mailTime, CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9));
    EXPECT_EQ(fields.storeFile, store.Path() + "TM20010724100509.eml");
    EXPECT_EQ(ReadFileBytes(fields.storeFile), fetched);
}

// Messages that each test which line gives one field.
TEST_F(HeaderExtraction, TakesEachFieldFromTheRightLine) {
    const struct {
        const char* what;
        const char* text;
        std::string HeaderFields::*field;
        const char* expected;
    } cases[] = {
        {"a Received date wins over the Date line",
         "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\nFrom: a@b\r\nTo: c@d\r\n"
         "Date: Tue, 24 Jul 2001 09:00:00 +0900\r\n\r\n",
         &HeaderFields::dateText, "2001년 7월 24일 오전 10:05:09"},
        {"the date on a continuation line of Received",
         "Received: from mx.example.com (mx [192.0.2.1])\r\n\tby mail.example.com\r\n"
         "\tfor <a@b>; Tue, 24 Jul 2001 10:05:09 +0900\r\nFrom: a@b\r\nTo: c@d\r\n\r\n",
         &HeaderFields::dateText, "2001년 7월 24일 오전 10:05:09"},
        {"the first To line wins",
         "To: first@x\r\nTo: second@x\r\nFrom: a@b\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n", &HeaderFields::to,
         "first@x"},
        {"only the first physical line of a folded header counts",
         "Subject: =?euc-kr?B?wMy8+L3F?=\r\n =?euc-kr?B?yKux5rW/?=\r\nTo: a@b\r\nFrom: c@d\r\n"
         "Date: 24 Jul 2001 10:05:09\r\n\r\n",
         &HeaderFields::subject, "이순신"},
        {"a file without an empty line is read to its end",
         "From: a@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09", &HeaderFields::dateText,
         "2001년 7월 24일 오전 10:05:00"},
        {"bare LF line ends; a CR inside a line costs its last character",
         "From: a@b\nTo: c@d\nSubject: x\ry\nDate: 24 Jul 2001 10:05:09 +0900\n\nbody",
         &HeaderFields::subject, "x"},
        {"the first mailbox of a From list",
         "From: \"Kim, M\" <kim@x>, Lee <lee@x>\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09",
         &HeaderFields::senderAddress, "kim@x"},
        {"its name", "From: Kim <kim@x>, Lee <lee@x>\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09",
         &HeaderFields::senderName, "Kim"},
        {"a comma in a comment", "From: kim@x (Kim, M), lee@x\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09",
         &HeaderFields::senderName, "Kim, M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(Extract(c.text));
        EXPECT_EQ(fields.*c.field, c.expected);
    }
}

TEST_F(HeaderExtraction, MonthInHostNameFailsAndTheLaterDateLineIsUsed) {
    EXPECT_TRUE(Extract("Received: from May (may.example.com) by x; Tue, 10 Jul 2001 08:00:00 +0900\r\n"
                        "\tcontinued Tue, 10 Jul 2001 08:00:00 +0900\r\nFrom: a@b\r\nTo: c@d\r\n"
                        "Date: Tue, 10 Jul 2001 07:59:00 +0900\r\n\r\n"));
    EXPECT_TRUE(badDate);
    EXPECT_EQ(fields.dateText, "2001년 7월 10일 오전 7:59:00");
}

TEST_F(HeaderExtraction, DateThatFailsLeavesInvalidTimeAndNoText) {
    EXPECT_FALSE(Extract("From: a@b\r\nTo: c@d\r\nDate: 24 Jul 1960 10:00:00\r\n\r\n"));
    EXPECT_TRUE(badDate);
    EXPECT_EQ(fields.dateText, "");
    EXPECT_EQ(fields.mailTime, CCalendarTime::Invalid());
    EXPECT_EQ(fields.storeFile, store.Path() + "TM00000000000000.eml");
}

TEST_F(HeaderExtraction, WithoutADateTheTimeOfTheMessageBeforeStays) {
    ASSERT_TRUE(Extract("From: a@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09 +0900\r\n\r\nfirst"));
    EXPECT_FALSE(Extract("From: e@f\r\nTo: c@d\r\nSubject: no date\r\n\r\nsecond"));
    EXPECT_EQ(fields.senderAddress, "e@f");
    EXPECT_EQ(fields.dateText, "");
    EXPECT_EQ(fields.mailTime, CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9));
}

TEST_F(HeaderExtraction, WithoutToOrFromTheResultIsFalse) {
    EXPECT_FALSE(Extract("From: a@b\r\nDate: 24 Jul 2001 10:05:09 +0900\r\n\r\n"));
    EXPECT_FALSE(Extract("To: a@b\r\nDate: 24 Jul 2001 10:05:09 +0900\r\n\r\n"));
    EXPECT_EQ(fields.senderAddress, "");
}

TEST_F(HeaderExtraction, KeysMatchAsWrittenLowerOrUpperCaseWithTheirBlank) {
    EXPECT_TRUE(Extract("X-Subject: not this\r\nsubject:no blank\r\nTO: a@b\r\nfrom: c@d\r\n"
                        "SUBJECT: upper\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n"));
    EXPECT_EQ(fields.subject, "upper");
    EXPECT_EQ(fields.to, "a@b");
    EXPECT_EQ(fields.senderAddress, "c@d");
    EXPECT_TRUE(Extract("sUbJeCt: mixed\r\nTo: a@b\r\nFrom: c@d\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n"));
    EXPECT_EQ(fields.subject, "");
}

TEST_F(HeaderExtraction, DecodesEncodedWordsOfEveryField) {
    EXPECT_TRUE(
        Extract("From: =?EUC-KR?B?wMy8+L3F?= <yi@example.kr>\r\nTo: =?euc-kr?B?yKux5rW/?= <a@b>\r\n"
                "Subject: =?euc-kr?Q?=C8=B8=C0=C7=20=C0=DA=B7=E1?=\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n"));
    EXPECT_EQ(fields.senderName, "이순신");
    EXPECT_EQ(fields.senderAddress, "yi@example.kr");
    EXPECT_EQ(fields.to, "홍길동 <a@b>");
    EXPECT_EQ(fields.subject, "회의 자료");
}

TEST_F(HeaderExtraction, FieldsAreEmptiedFirst) {
    ASSERT_TRUE(
        Extract("From: a@b\r\nTo: c@d\r\nCc: e@f\r\nSubject: s\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n"));
    EXPECT_FALSE(Extract("\r\nFrom: late@b\r\n"));
    EXPECT_EQ(fields.to, "");
    EXPECT_EQ(fields.cc, "");
    EXPECT_EQ(fields.subject, "");
    EXPECT_EQ(fields.senderAddress, "");
}

TEST_F(HeaderExtraction, AMessageTheStoreCannotTakeFailsAndLeavesNoFile) {
    SetTemporaryDirectory(store.Path() + "missing");
    EXPECT_FALSE(Extract("From: a@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09\r\n\r\n"));
    SetTemporaryDirectory(store.Path());
    EXPECT_EQ(fields.storeFile, "");
    EXPECT_TRUE(ListFiles(store.Path()).empty());
}

// An endless header line is cut, not kept whole: the field stays small, a
// double-byte character is never split, and the lines after it still count.
TEST_F(HeaderExtraction, OverlongLinesAreCutAndReadingGoesOn) {
    const std::string tail = "\r\nFrom: a@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09\r\n\r\nbody";
    std::string hangul;
    for (int i = 0; i < 3000; ++i)
        hangul += "가";
    for (const std::string& subject : {std::string(8 << 20, 'x'), hangul}) {
        EXPECT_TRUE(Extract("Subject: " + subject + tail));
        EXPECT_LE(fields.subject.size(), maxHeaderLineBytes);
        EXPECT_GT(fields.subject.size(), maxHeaderLineBytes - 16);
        EXPECT_EQ(fields.subject, subject.substr(0, fields.subject.size()));
        if (subject == hangul) {
            EXPECT_EQ(fields.subject.size() % 2, 0u) << "a character was split";
        }
        EXPECT_EQ(fields.senderAddress, "a@b");
    }
}

#include "mail/outgoing_mail.h"

#include "fixed_clock.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {
std::string DateLineOf(const std::string& header) {
    size_t start = header.find("Date: ");
    return start == std::string::npos ? std::string()
                                      : header.substr(start, header.find("\r\n", start) - start);
}

std::string DateWithZone(ZoneBias zone) {
    CFixedClock clock(zone);
    COutgoingMail mail(clock);
    return DateLineOf(mail.BuildHeader());
}
} // namespace

TEST(MailAddress, FormatsWithAndWithoutDisplayNameQuotingWhatWouldSplitIt) {
    const struct {
        const char* name;
        const char* formatted;
    } cases[] = {
        {"홍길동", "홍길동 <h@x.kr>"},
        {"", "h@x.kr"},
        {"Hong, Gildong", "\"Hong, Gildong\" <h@x.kr>"},
        {"Kim \"KJ\" Lee", "\"Kim \\\"KJ\\\" Lee\" <h@x.kr>"},
        {"back\\slash", "\"back\\\\slash\" <h@x.kr>"},
        {"\"홍, 길동\"", "\"홍, 길동\" <h@x.kr>"},
        {"\"a\" b", "\"\\\"a\\\" b\" <h@x.kr>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ((MailAddress{c.name, "h@x.kr"}.Format()), c.formatted) << c.name;
}

TEST(OutgoingMail, BuildsTheTextHeaderInItsOrder) {
    CFixedClock clock;
    COutgoingMail mail(clock);
    mail.from = {"홍길동", "hong@example.com"};
    mail.subject = "안녕하세요";
    ASSERT_TRUE(mail.AddRecipients("김철수 <kim@example.com>; lee@example.com,", RecipientKind::To));
    mail.AddRecipient({"", "secret@example.com"}, RecipientKind::Bcc);
    EXPECT_EQ(mail.BuildHeader(), "From: 홍길동 <hong@example.com>\r\n"
                                  "To: 김철수 <kim@example.com>,lee@example.com\r\n"
                                  "Subject: 안녕하세요\r\n"
                                  "Date: Thu, 05 Jul 2001 14:03:09 +0900\r\n"
                                  "X-Mailer: Tidemark \r\n"
                                  "MIME-Version: 1.0\r\n"
                                  "Content-type: text/plain; charset=euc-kr\r\n"
                                  "\r\n");
}

TEST(OutgoingMail, BuildsTheMultipartHeaderWithCcAndReplyTo) {
    CFixedClock clock;
    COutgoingMail mail(clock);
    mail.from = {"", "me@example.com"};
    mail.replyTo = {"나", "me@example.com"};
    mail.AddRecipient({"", "a@example.com"}, RecipientKind::Cc);
    mail.AddRecipient({"B", "b@example.com"}, RecipientKind::Cc);
    MailAttachment attachment;
    EXPECT_EQ(mail.AddAttachment(&attachment), 0);
    EXPECT_EQ(mail.BuildHeader(), "From: me@example.com\r\n"
                                  "To: \r\n"
                                  "Cc: a@example.com,B <b@example.com>\r\n"
                                  "Subject: \r\n"
                                  "Date: Thu, 05 Jul 2001 14:03:09 +0900\r\n"
                                  "X-Mailer: Tidemark \r\n"
                                  "Reply-To: 나 <me@example.com>\r\n"
                                  "MIME-Version: 1.0\r\n"
                                  "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n"
                                  "\r\n");
}

TEST(OutgoingMail, ZoneTextFollowsTheBiasAndDaylightSaving) {
    EXPECT_EQ(DateWithZone({-540, 0, false}), "Date: Thu, 05 Jul 2001 14:03:09 +0900");
    EXPECT_EQ(DateWithZone({300, -60, false}), "Date: Thu, 05 Jul 2001 14:03:09 -0500");
    EXPECT_EQ(DateWithZone({300, -60, true}), "Date: Thu, 05 Jul 2001 14:03:09 -0400");
    EXPECT_EQ(DateWithZone({210, 0, false}), "Date: Thu, 05 Jul 2001 14:03:09 -0330");
    EXPECT_EQ(DateWithZone({-330, 0, false}), "Date: Thu, 05 Jul 2001 14:03:09 +0530");
    EXPECT_EQ(DateWithZone({0, -60, false}), "Date: Thu, 05 Jul 2001 14:03:09 +0000");
    EXPECT_EQ(DateWithZone({30, 0, false}), "Date: Thu, 05 Jul 2001 14:03:09 -0030");
}

TEST(OutgoingMail, DateIsEnglishWhateverTheLocale) {
    CFixedClock clock;
    clock.local = {2001, 12, 30, 0, 3, 9};
    if (!std::setlocale(LC_TIME, "ko_KR.UTF-8") && !std::setlocale(LC_TIME, "Korean"))
        GTEST_SKIP() << "no Korean locale: scripts/install-deps.sh makes ko_KR.UTF-8";
    COutgoingMail mail(clock);
    std::string date = DateLineOf(mail.BuildHeader());
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(date, "Date: Sun, 30 Dec 2001 00:03:09 +0900");
}

TEST(OutgoingMail, TheWeekdayFollowsTheDate) {
    CFixedClock clock;
    COutgoingMail mail(clock);
    const struct {
        LocalTimeFields local;
        const char* date;
    } cases[] = {
        {{1970, 1, 1, 0, 0, 0}, "Date: Thu, 01 Jan 1970 00:00:00 +0900"},
        {{2001, 1, 1, 9, 5, 7}, "Date: Mon, 01 Jan 2001 09:05:07 +0900"},
        {{2000, 2, 29, 23, 59, 59}, "Date: Tue, 29 Feb 2000 23:59:59 +0900"},
        {{2024, 2, 1, 12, 0, 0}, "Date: Thu, 01 Feb 2024 12:00:00 +0900"},
        {{2100, 3, 1, 12, 0, 0}, "Date: Mon, 01 Mar 2100 12:00:00 +0900"},
        {{9999, 12, 31, 23, 59, 59}, "Date: Fri, 31 Dec 9999 23:59:59 +0900"},
    };
    for (const auto& entry : cases) {
        clock.local = entry.local;
        EXPECT_EQ(DateLineOf(mail.BuildHeader()), entry.date);
    }
}

TEST(OutgoingMail, TheSystemClockGivesAWellFormedDate) {
    COutgoingMail mail;
    std::string date = DateLineOf(mail.BuildHeader());
    ASSERT_EQ(date.size(), std::string("Date: Thu, 05 Jul 2001 14:03:09 +0900").size()) << date;
    EXPECT_EQ(date.find_first_not_of("+-0123456789", date.size() - 5), std::string::npos) << date;
}

TEST(OutgoingMail, LineBreaksCannotAddHeaderLines) {
    CFixedClock clock;
    COutgoingMail mail(clock);
    mail.from = {"Eve\r\nBcc: x@example.com", "eve@example.com"};
    mail.subject = "Hi\r\n\r\nforged body\nX: y";
    mail.AddRecipient({"", "a@example.com\rCc: b@example.com"}, RecipientKind::To);
    std::string header = mail.BuildHeader();
    EXPECT_NE(header.find("From: \"Eve Bcc: x@example.com\" <eve@example.com>\r\n"), std::string::npos);
    EXPECT_NE(header.find("Subject: Hi forged body X: y\r\n"), std::string::npos);
    EXPECT_NE(header.find("To: a@example.com Cc: b@example.com\r\n"), std::string::npos);
    EXPECT_EQ(header.find("\r\n\r\n"), header.size() - 4);
}

TEST(RecipientParsing, SplitsNamesAddressesAndSeparators) {
    COutgoingMail mail;
    EXPECT_TRUE(mail.AddRecipients(" 김철수 <kim@example.com>; lee@example.com,,\t<only@example.com> tail;",
                                   RecipientKind::Cc));
    ASSERT_EQ(mail.GetRecipientCount(RecipientKind::Cc), 3);
    EXPECT_EQ(mail.GetRecipient(0, RecipientKind::Cc).displayName, "김철수");
    EXPECT_EQ(mail.GetRecipient(0, RecipientKind::Cc).address, "kim@example.com");
    EXPECT_EQ(mail.GetRecipient(1, RecipientKind::Cc).displayName, "");
    EXPECT_EQ(mail.GetRecipient(1, RecipientKind::Cc).address, "lee@example.com");
    EXPECT_EQ(mail.GetRecipient(2, RecipientKind::Cc).displayName, "");
    EXPECT_EQ(mail.GetRecipient(2, RecipientKind::Cc).address, "only@example.com");
    EXPECT_EQ(mail.GetRecipientCount(RecipientKind::To), 0);
}

TEST(RecipientParsing, TakesAnEntryWithOnlyAClosingBracketWhole) {
    COutgoingMail mail;
    EXPECT_TRUE(mail.AddRecipients("odd>@example.com", RecipientKind::To));
    ASSERT_EQ(mail.GetRecipientCount(RecipientKind::To), 1);
    EXPECT_EQ(mail.GetRecipient(0, RecipientKind::To).address, "odd>@example.com");
}

TEST(RecipientParsing, StopsAtAnUnmatchedBracketKeepingEarlierEntries) {
    COutgoingMail mail;
    EXPECT_FALSE(mail.AddRecipients("a@example.com; Bad <b@example.com, c@example.com", RecipientKind::To));
    EXPECT_FALSE(mail.AddRecipients("x> <y@example.com>, d@example.com", RecipientKind::To));
    ASSERT_EQ(mail.GetRecipientCount(RecipientKind::To), 1);
    EXPECT_EQ(mail.GetRecipient(0, RecipientKind::To).address, "a@example.com");
}

TEST(RecipientParsing, NamesTheMalformedEntry) {
    COutgoingMail mail;
    std::string malformed;
    EXPECT_FALSE(mail.AddRecipients("a@example.com;  홍길동 <hong@example.com , c@x.kr", RecipientKind::To,
                                    &malformed));
    EXPECT_EQ(malformed, "홍길동 <hong@example.com");
}

TEST(RecipientText, ListsWholeAddressesWithoutRegardToCase) {
    const struct {
        const char* recipients;
        const char* address;
        bool listed;
    } cases[] = {
        {"aa@x.kr", "a@x.kr", false},
        {"a@x.kr.com", "a@x.kr", false},
        {"b@x.kr; A@X.KR", "a@x.kr", true},
        {"홍길동 <a@x.kr>, b@x.kr", "a@x.kr", true},
        {"", "a@x.kr", false},
        {"Bad <a@x.kr", "a@x.kr", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListsAddress(c.recipients, c.address), c.listed) << c.recipients;
}

TEST(RecipientText, AppendsAnAddressOnceWithASemicolonAndBlank) {
    std::string recipients = "  ";
    EXPECT_TRUE(AppendRecipient(recipients, "aa@x.kr"));
    EXPECT_EQ(recipients, "aa@x.kr");
    EXPECT_TRUE(AppendRecipient(recipients, "a@x.kr"));
    EXPECT_FALSE(AppendRecipient(recipients, "A@x.kr"));
    EXPECT_EQ(recipients, "aa@x.kr; a@x.kr");
}

TEST(RecipientLists, RejectUnknownKindsAndIndexes) {
    COutgoingMail mail;
    RecipientKind unknown = static_cast<RecipientKind>(3);
    EXPECT_EQ(mail.AddRecipient({"n", "a@example.com"}, RecipientKind::Bcc), 0);
    EXPECT_EQ(mail.AddRecipient({"n", "b@example.com"}, RecipientKind::Bcc), 1);
    EXPECT_EQ(mail.AddRecipient({"n", "a@example.com"}, unknown), -1);
    EXPECT_EQ(mail.GetRecipientCount(unknown), 0);
    EXPECT_EQ(mail.GetRecipient(0, unknown).address, "");
    EXPECT_EQ(mail.GetRecipient(2, RecipientKind::Bcc).address, "");
    EXPECT_EQ(mail.GetRecipient(-1, RecipientKind::Bcc).address, "");
    EXPECT_EQ(mail.GetRecipient(1, RecipientKind::Bcc).address, "b@example.com");
}

TEST(OutgoingMailBody, IsStuffedAndSentRawWithoutAttachments) {
    COutgoingMail mail;
    mail.SetBody(".\r\n안녕 =C0 \r\n..two\r\n.");
    EXPECT_EQ(mail.GetBody(), "..\r\n안녕 =C0 \r\n...two\r\n..");
    EXPECT_EQ(mail.BuildBodyText(), mail.GetBody());
}

TEST(OutgoingMailBody, IsQuotedPrintableFromTheTypedTextWithAnAttachment) {
    COutgoingMail mail;
    MailAttachment attachment;
    mail.AddAttachment(&attachment);
    // The soft break after 75 characters starts a line with ".".
    mail.SetBody(".\r\n안녕 =C0 \r\n" + std::string(75, 'x') + ".end");
    EXPECT_EQ(mail.BuildBodyText(),
              "=2E\r\n=BE=C8=B3=E7 =3DC0=20\r\n" + std::string(75, 'x') + "=\r\n=2Eend");
}

// Mail sent to a real SMTP server (aiosmtpd, started by the ctest fixture of
// tests/peers/peer_fixtures.cmake), compared with what it stored.
#include "mail/smtp_session.h"

#include "fixed_clock.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
#ifdef TIDEMARK_SMTP_SINK_DIR
const std::string sinkDir = TIDEMARK_SMTP_SINK_DIR;
#else
const std::string sinkDir;
#endif

class SmtpSink : public testing::Test {
  protected:
    void SetUp() override {
        port = PortIn(sinkDir + "/port");
        if (port == 0)
            GTEST_SKIP() << "no SMTP sink running (ctest starts it)";
    }

    // The sink stores each mail as the message and the envelope, named after
    // its first recipient: Forget removes older copies, Stored reads them.
    void Forget(const std::string& firstRecipient) {
        std::remove((sinkDir + "/" + firstRecipient + ".eml").c_str());
        std::remove((sinkDir + "/" + firstRecipient + ".envelope").c_str());
    }
    std::string Stored(const std::string& firstRecipient, const char* extension) {
        std::string path = sinkDir + "/" + firstRecipient + extension;
        EXPECT_TRUE(FileExists(path)) << path;
        return ReadFileBytes(path);
    }

    int port = 0;
};
} // namespace

TEST_F(SmtpSink, ReceivesAMailWithAnAttachmentByteForByte) {
    CScratchDirectory dir;
    std::string report;
    for (int i = 0; i < 10; ++i)
        report += "보고서 ";
    WriteFileBytes(dir.Path() + "sink-보고서.txt", report);
    MailAttachment attachment;
    ASSERT_TRUE(attachment.LoadFile(dir.Path() + "sink-보고서.txt"));

    CFixedClock clock;
    COutgoingMail mail(clock);
    mail.from = {"홍길동", "hong@example.com"};
    mail.replyTo = mail.from;
    mail.subject = "보고서를 보냅니다";
    ASSERT_TRUE(mail.AddRecipients("김철수 <sink-full@example.com>, lee@example.com", RecipientKind::To));
    mail.AddRecipient({"", "cc@example.com"}, RecipientKind::Cc);
    mail.AddRecipient({"", "bcc@example.com"}, RecipientKind::Bcc);
    mail.SetBody("안녕하세요.\r\n.\r\n=끝");
    mail.AddAttachment(&attachment);
    Forget("sink-full@example.com");

    CSmtpSession session;
    ASSERT_TRUE(session.Open("127.0.0.1", port));
    EXPECT_TRUE(session.Transmit(mail)) << session.GetLastReply();
    EXPECT_TRUE(session.Close());

    EXPECT_EQ(Stored("sink-full@example.com", ".envelope"),
              "hong@example.com\nsink-full@example.com\nlee@example.com\ncc@example.com\nbcc@example.com\n");
    EXPECT_EQ(Stored("sink-full@example.com", ".eml"),
              "From: 홍길동 <hong@example.com>\r\n"
              "To: 김철수 <sink-full@example.com>,lee@example.com\r\n"
              "Cc: cc@example.com\r\n"
              "Subject: 보고서를 보냅니다\r\n"
              "Date: Thu, 05 Jul 2001 14:03:09 +0900\r\n"
              "X-Mailer: Tidemark \r\n"
              "Reply-To: 홍길동 <hong@example.com>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n"
              "\r\n"
              "\r\n--#BOUNDARY#\r\n"
              "Content-Type: text/plain; charset=euc-kr\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n"
              "\r\n"
              "=BE=C8=B3=E7=C7=CF=BC=BC=BF=E4.\r\n=2E\r\n=3D=B3=A1"
              "\r\n\r\n--#BOUNDARY#\r\n"
              "Content-Type: application/octet-stream; name=\"=?euc-kr?B?c2luay26uLDtvK0udHh0?=\"\r\n"
              "Content-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename=\"=?euc-kr?B?c2luay26uLDtvK0udHh0?=\"; "
              "filename*=euc-kr''sink-%BA%B8%B0%ED%BC%AD.txt\r\n"
              "\r\n"
              "uriw7bytILq4sO28rSC6uLDtvK0guriw7bytILq4sO28rSC6uLDtvK0guriw7bytILq4sO28rSC6\r\n"
              "uLDtvK0guriw7bytIA==\r\n"
              "\r\n--#BOUNDARY#--\r\n");
}

TEST_F(SmtpSink, ReceivesAPlainMailWithItsDotLinesIntact) {
    CFixedClock clock(ZoneBias{300, -60, true});
    COutgoingMail mail(clock);
    mail.from = {"", "me@example.com"};
    mail.subject = "점";
    mail.AddRecipient({"", "sink-plain@example.com"}, RecipientKind::To);
    mail.SetBody(".\r\n..두 점\r\n.");
    Forget("sink-plain@example.com");

    CSmtpSession session;
    ASSERT_TRUE(session.Open("127.0.0.1", port));
    EXPECT_TRUE(session.Transmit(mail)) << session.GetLastReply();
    EXPECT_TRUE(session.Close());

    EXPECT_EQ(Stored("sink-plain@example.com", ".eml"), "From: me@example.com\r\n"
                                                        "To: sink-plain@example.com\r\n"
                                                        "Subject: 점\r\n"
                                                        "Date: Thu, 05 Jul 2001 14:03:09 -0400\r\n"
                                                        "X-Mailer: Tidemark \r\n"
                                                        "MIME-Version: 1.0\r\n"
                                                        "Content-type: text/plain; charset=euc-kr\r\n"
                                                        "\r\n"
                                                        ".\r\n..두 점\r\n.\r\n");
}

#include "mail/smtp_session.h"
#include "mail/mail_delivery.h"
#include "core/user_texts.h"

#include "fixed_clock.h"
#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

namespace {
// A session whose reply time-out suits a test run; it also exposes the code
// of the last reply.
class CQuickSession : public CSmtpSession {
  public:
    explicit CQuickSession(unsigned silenceMs = 2000, int deadlineMs = 30000) {
        timeoutMs = silenceMs;
        replyDeadlineMs = deadlineMs;
    }
    int GetLastReplyCode() const { return lastReplyCode; }
};

// "HELO name" or "EHLO name" with the local host name, CR LF.
std::string Hello(const char* verb = "HELO") {
    char name[100] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return std::string(verb) + " localhost\r\n";
    return std::string(verb) + " " + name + "\r\n";
}
std::string Helo() {
    return Hello();
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

const char header[] = "From: 홍길동 <hong@example.com>\r\n"
                      "To: 김철수 <kim@example.com>,lee@example.com\r\n"
                      "Cc: cc@example.com\r\n"
                      "Subject: 안녕하세요\r\n"
                      "Date: Thu, 05 Jul 2001 14:03:09 +0900\r\n"
                      "X-Mailer: Tidemark \r\n"
                      "Reply-To: 홍길동 <hong@example.com>\r\n"
                      "MIME-Version: 1.0\r\n";

// A mail to two To, one Cc and one Bcc recipient.
void Compose(COutgoingMail& mail, const std::string& body) {
    mail.from = {"홍길동", "hong@example.com"};
    mail.replyTo = mail.from;
    mail.subject = "안녕하세요";
    mail.AddRecipients("김철수 <kim@example.com>; lee@example.com", RecipientKind::To);
    mail.AddRecipients("cc@example.com", RecipientKind::Cc);
    mail.AddRecipients("Hidden <bcc@example.com>", RecipientKind::Bcc);
    mail.SetBody(body);
}

const char envelope[] = "MAIL FROM:<hong@example.com>\r\n"
                        "RCPT TO: <kim@example.com>\r\n"
                        "RCPT TO: <lee@example.com>\r\n"
                        "RCPT TO: <cc@example.com>\r\n"
                        "RCPT TO: <bcc@example.com>\r\n"
                        "DATA\r\n";

// A server that accepts the envelope of Compose, the data and QUIT.
std::vector<PeerStep> AcceptingPeer() {
    return GreetAndAnswer({"250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n",
                           "250 queued\r\n", "221 bye\r\n"});
}

// A mail from me@example.com without recipients.
COutgoingMail MailFromMe() {
    COutgoingMail mail;
    mail.from.address = "me@example.com";
    return mail;
}

// What one session showed that opened with the peer, transmitted mail and
// closed again.
struct SendOutcome {
    bool transmitted = false;
    std::string lastReply; // right after Transmit
    bool closed = false;
    std::string received; // every byte the peer received
};

SendOutcome SendThrough(CScriptedPeer& peer, const COutgoingMail& mail) {
    SendOutcome outcome;
    CQuickSession session;
    if (!session.Open("127.0.0.1", peer.Port())) {
        ADD_FAILURE() << "Open failed: " << session.GetLastReply();
        return outcome;
    }
    outcome.transmitted = session.Transmit(mail);
    outcome.lastReply = SmtpFailureText(session.GetError());
    outcome.closed = session.Close();
    outcome.received = peer.Received();
    return outcome;
}
} // namespace

TEST(SmtpSession, SendsAPlainMailByteForByte) {
    CScriptedPeer peer(AcceptingPeer());
    CFixedClock clock;
    COutgoingMail mail(clock);
    Compose(mail, "첫 줄\r\n.\r\n끝");
    SendOutcome sent = SendThrough(peer, mail);
    EXPECT_TRUE(sent.transmitted);
    EXPECT_TRUE(sent.closed);
    EXPECT_EQ(sent.received, Helo() + envelope + header + "Content-type: text/plain; charset=euc-kr\r\n\r\n" +
                                 "첫 줄\r\n..\r\n끝" + "\r\n.\r\n" + "QUIT\r\n");
    EXPECT_EQ(sent.lastReply, "");
}

TEST(SmtpSession, SendsTheTextPartAndAttachmentsBetweenBoundaries) {
    CScriptedPeer peer(AcceptingPeer());
    CFixedClock clock;
    COutgoingMail mail(clock);
    Compose(mail, "a=b\r\n.\r\n--#BOUNDARY#--");
    MailAttachment first, second;
    first.name = first.fileName = "보고서.doc";
    first.encoded = "TWFu\r\n";
    second.name = "n.bin";
    second.fileName = "f.bin";
    second.encoded = "\r\n";
    mail.AddAttachment(&first);
    mail.AddAttachment(&second);
    SendOutcome sent = SendThrough(peer, mail);
    EXPECT_TRUE(sent.transmitted);
    EXPECT_TRUE(sent.closed);
    EXPECT_EQ(
        sent.received,
        Helo() + envelope + header + "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n" +
            "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=euc-kr\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            "a=3Db\r\n=2E\r\n=2D-#BOUNDARY#--" +
            "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=보고서.doc\r\n"
            "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
            "filename=보고서.doc\r\n\r\n"
            "TWFu\r\n" +
            "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=n.bin\r\n"
            "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=f.bin\r\n\r\n"
            "\r\n" +
            "\r\n--#BOUNDARY#--" + "\r\n.\r\n" + "QUIT\r\n");
}

TEST(SmtpSession, AFailedGreetingOrHeloSendsQuitAndFails) {
    {
        CScriptedPeer peer({Say("554 no service here\r\n"), AwaitLine(), Say("221 bye\r\n")});
        CQuickSession session;
        EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
        EXPECT_EQ(session.GetLastReply(), "554 no service here");
        EXPECT_FALSE(session.Close()); // already closed: nothing more is sent
        EXPECT_EQ(peer.Received(), "QUIT\r\n");
    }
    {
        CScriptedPeer peer(
            {Say("220 hi\r\n"), AwaitLine(), Say("501 who are you\r\n"), AwaitLine(), Say("221 bye\r\n")});
        CQuickSession session;
        EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
        EXPECT_EQ(session.GetLastReply(), "501 who are you");
        EXPECT_EQ(peer.Received(), Helo() + "QUIT\r\n");
    }
}

TEST(SmtpSession, AReplyWithoutACodeIsARefusal) {
    CScriptedPeer peer(GreetAndAnswer({"250 ok\r\n", "sure thing\r\n25\r\n", "221 bye\r\n"}));
    COutgoingMail mail = MailFromMe();
    mail.AddRecipient({"", "you@example.com"}, RecipientKind::To);
    CQuickSession session;
    ASSERT_TRUE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_FALSE(session.Transmit(mail));
    EXPECT_EQ(session.GetLastReply(), "sure thing");
    EXPECT_EQ(session.GetLastReplyCode(), 250);
    EXPECT_FALSE(session.ExpectReply(25));
    EXPECT_EQ(session.GetLastReply(), "25");
    EXPECT_TRUE(session.Close());
}

TEST(SmtpSession, ReadsMultiLineRepliesToTheirLastLine) {
    // Continuation lines arriving in separate reads, and all in one read.
    CScriptedPeer peer({Say("220-first\r\n"), Say("220-second\r\n", 150), Say("220 third\r\n", 150),
                        AwaitLine(), Say("250-peer\r\n250-SIZE 1000\r\n250 HELP\r\n"), AwaitLine(),
                        Say("550-no such\r\n550 user here\r\n"), AwaitLine(), Say("221 bye\r\n")});
    SendOutcome sent = SendThrough(peer, MailFromMe());
    EXPECT_FALSE(sent.transmitted);
    EXPECT_EQ(sent.lastReply, "550-no such\r\n550 user here");
    EXPECT_TRUE(sent.closed);
    EXPECT_EQ(sent.received, Helo() + "MAIL FROM:<me@example.com>\r\nQUIT\r\n");
}

TEST(SmtpSession, KeepsBytesAfterAReplyForTheNextOne) {
    CScriptedPeer peer({Say("220 hi\r\n"), AwaitLine(), Say("250 peer\r\n421 going down\r\n"), AwaitLine()});
    CQuickSession session;
    ASSERT_TRUE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_FALSE(session.Close());
    EXPECT_EQ(session.GetLastReply(), "421 going down");
}

TEST(SmtpSession, GrowsTheBufferForALongReply) {
    std::string longText = "554 " + std::string(9000, 'x');
    CScriptedPeer peer({Say("220 " + std::string(300, 'y') + "\r\n"), AwaitLine(),
                        Say(longText.substr(0, 255)), Say(longText.substr(255) + "\r\n", 50), AwaitLine(),
                        Say("221 bye\r\n")});
    CQuickSession session;
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_EQ(session.GetLastReply(), longText);
}

TEST(SmtpSession, GivesUpOnAnEndlessReply) {
    std::vector<PeerStep> script;
    for (int i = 0; i < 200; ++i)
        script.push_back(Say("220-" + std::string(996, 'z') + "\r\n"));
    CScriptedPeer peer(script);
    CQuickSession session;
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_GE(session.GetLastReply().size(), 65536u);
    EXPECT_LT(session.GetLastReply().size(), 200u * 1000);
}

TEST(SmtpSession, TheTimeOutCountsFromTheLastBytesReceived) {
    CScriptedPeer peer(
        {Say("2"), Say("20 sl", 350), Say("ow\r\n", 350), AwaitLine(), Say("250 partial"), AwaitLine()});
    CQuickSession session(600);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    // The greeting took 700 ms in pieces and was accepted; the HELO answer never ended.
    EXPECT_GE(MillisecondsSince(start), 700 + 600);
    EXPECT_EQ(session.GetLastReply(), "250 partial");
    EXPECT_EQ(peer.Received(), Helo() + "QUIT\r\n");
}

TEST(SmtpSession, APeerThatClosesEndsTheWaitAtOnce) {
    CScriptedPeer peer({Say("220 par"), Hangup()});
    CSmtpSession session;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_EQ(session.GetLastReply(), "220 par");
}

TEST(SmtpSession, NoRecipientsGoStraightToData) {
    CScriptedPeer peer(GreetAndAnswer({"250 ok\r\n", "503 need RCPT\r\n", "221 bye\r\n"}));
    SendOutcome sent = SendThrough(peer, MailFromMe());
    EXPECT_FALSE(sent.transmitted);
    EXPECT_EQ(sent.lastReply, "503 need RCPT");
    EXPECT_TRUE(sent.closed);
    EXPECT_EQ(sent.received, Helo() + "MAIL FROM:<me@example.com>\r\nDATA\r\nQUIT\r\n");
}

TEST(SmtpSession, TheFirstRefusedRecipientStopsTheMail) {
    CScriptedPeer peer(
        GreetAndAnswer({"250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "550 no cc\r\n", "221 bye\r\n"}));
    COutgoingMail mail;
    Compose(mail, "body");
    {
        CQuickSession session;
        ASSERT_TRUE(session.Open("127.0.0.1", peer.Port()));
        EXPECT_FALSE(session.Transmit(mail));
        EXPECT_EQ(session.GetLastReply(), "550 no cc");
    } // the destructor says QUIT
    EXPECT_EQ(peer.Received(), Helo() + "MAIL FROM:<hong@example.com>\r\n"
                                        "RCPT TO: <kim@example.com>\r\n"
                                        "RCPT TO: <lee@example.com>\r\n"
                                        "RCPT TO: <cc@example.com>\r\n"
                                        "QUIT\r\n");
}

TEST(SmtpSession, AnAddressWithALineBreakIsNeverSent) {
    CScriptedPeer peer(GreetAndAnswer({"250 ok\r\n", "221 bye\r\n"}));
    COutgoingMail mail = MailFromMe();
    mail.AddRecipient({"", "victim@example.com>\r\nRCPT TO: <other@example.com"}, RecipientKind::To);
    SendOutcome sent = SendThrough(peer, mail);
    EXPECT_FALSE(sent.transmitted);
    EXPECT_EQ(sent.lastReply, "잘못된 메일 주소입니다: victim@example.com>");
    EXPECT_TRUE(sent.closed);
    EXPECT_EQ(sent.received, Helo() + "MAIL FROM:<me@example.com>\r\nQUIT\r\n");
}

TEST(SmtpSession, ResolvesAHostNameAndFailsWithoutAServer) {
    {
        CScriptedPeer peer(
            {Say("220 hi\r\n"), AwaitLine(), Say("250 peer\r\n"), AwaitLine(), Say("221 bye\r\n")});
        CQuickSession session;
        EXPECT_TRUE(session.Open("localhost", peer.Port()));
        EXPECT_TRUE(session.Close());
    }
    int freePort;
    {
        CScriptedPeer idle({Hangup()});
        freePort = idle.Port();
        CSocketTransport poke; // let the idle peer finish
        ASSERT_TRUE(poke.Create());
        ASSERT_TRUE(poke.Connect("127.0.0.1", freePort));
    }
    CQuickSession session;
    EXPECT_FALSE(session.Open("127.0.0.1", freePort));
    EXPECT_FALSE(session.Close());
}

// A greeting that trickles in a byte at a time never falls silent long
// enough for the time-out: the reply's deadline ends it.
TEST(SmtpSession, TricklingReplyIsCutAtItsDeadline) {
    CScriptedPeer peer({Trickle("220 a very slow greeting\r\n", false, 150)});
    CQuickSession session(2000, 500);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    EXPECT_LT(MillisecondsSince(start), 3000);
    // Cut in the middle: what came is the start of the greeting, never all of it.
    const std::string greeting = "220 a very slow greeting";
    std::string reply = session.GetLastReply();
    EXPECT_LT(reply.size(), greeting.size());
    EXPECT_EQ(greeting.compare(0, reply.size(), reply), 0) << reply;
}

TEST(SmtpSession, StopEndsTheWaitForAReply) {
    CScriptedPeer peer({GoSilent()});
    CQuickSession session(60000, 60000);
    std::atomic<int> running{1};
    session.SetStopFlag(&running);
    std::thread stopper([&running] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        running = 0;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
    stopper.join();
    EXPECT_LT(MillisecondsSince(start), 2000);
}

TEST(SmtpLogin, AuthenticatesAfterEhloWithTheMechanismOffered) {
    const struct {
        const char* ehloReply;
        std::vector<std::string> replies; // after EHLO
        bool opened;
        std::string sent;      // after EHLO
        std::string lastReply; // after Open
    } cases[] = {
        {"250-sink\r\n250 AUTH LOGIN PLAIN\r\n",
         {"235 ok\r\n", "221 bye\r\n"},
         true,
         "AUTH PLAIN AGFsaWNlAHNlY3JldA==\r\nQUIT\r\n",
         ""},
        {"250-sink\r\n250-AUTH=LOGIN\r\n250 8BITMIME\r\n",
         {"334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n", "221 bye\r\n"},
         true,
         "AUTH LOGIN\r\nYWxpY2U=\r\nc2VjcmV0\r\nQUIT\r\n",
         ""},
        {"250-sink\r\n250 AUTH PLAIN\r\n",
         {"535 5.7.8 no\r\n", "221 bye\r\n"},
         false,
         "AUTH PLAIN AGFsaWNlAHNlY3JldA==\r\nQUIT\r\n",
         "535 5.7.8 no"},
        {"250 sink\r\n",
         {"221 bye\r\n"},
         false,
         "QUIT\r\n",
         "SMTP 서버가 지원하는 인증 방식(PLAIN, LOGIN)이 없습니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ehloReply);
        std::vector<PeerStep> script{Say("220 hi\r\n"), Reply(c.ehloReply)};
        for (const std::string& reply : c.replies)
            script.push_back(Reply(reply));
        CScriptedPeer peer(script);
        CQuickSession session;
        session.SetLogin("alice", "secret"); // plain, as the user chose
        EXPECT_EQ(session.Open("127.0.0.1", peer.Port()), c.opened);
        EXPECT_EQ(SmtpFailureText(session.GetError()), c.lastReply);
        EXPECT_EQ(session.Close(), c.opened);
        EXPECT_EQ(peer.Received(), Hello("EHLO") + c.sent);
    }
}

TEST(SmtpLogin, NothingButEhloAndStarttlsGoesOutBeforeTls) {
    // Refused: the session ends, never falling back to plain. Accepted: the
    // peer has no TLS, so the handshake fails.
    const struct {
        std::vector<PeerStep> script;
        const char* lastReply;
    } cases[] = {
        {{Say("220 hi\r\n"), Reply("250-sink\r\n250 STARTTLS\r\n"), Reply("454 not now\r\n"),
          Reply("221 bye\r\n")},
         "454 not now"},
        {{Say("220 hi\r\n"), Reply("250-sink\r\n250 STARTTLS\r\n"), Reply("220 go ahead\r\n"), Hangup()},
         nullptr},
    };
    for (const auto& c : cases) {
        CScriptedPeer peer(c.script);
        CQuickSession session;
        session.SetSecurity(ConnectionSecurity::StartTls, "");
        session.SetLogin("alice", "secret");
        EXPECT_FALSE(session.Open("127.0.0.1", peer.Port()));
        const std::string received = peer.Received();
        EXPECT_EQ(received.rfind(Hello("EHLO") + "STARTTLS\r\n", 0), 0u);
        EXPECT_EQ(received.find("AUTH"), std::string::npos);
        if (c.lastReply) {
            EXPECT_EQ(session.GetLastReply(), c.lastReply);
        }
#ifndef _WIN32
        else {
            EXPECT_EQ(SmtpFailureText(session.GetError()), "TLS를 지원하지 않습니다.");
        }
#endif
    }
}

TEST(SmtpLogin, ADeliveryLogsInAsItWasSetUp) {
    CScriptedPeer peer({Say("220 hi\r\n"), Reply("250-sink\r\n250 AUTH PLAIN\r\n"), Reply("235 ok\r\n"),
                        Reply("250 ok\r\n"), Reply("250 ok\r\n"), Reply("354 go\r\n"), AwaitData(),
                        Say("250 queued\r\n"), Reply("221 bye\r\n")});
    CMailDelivery delivery("127.0.0.1", peer.Port(), "");
    delivery.UseSecurity(ConnectionSecurity::None, "", "alice", "secret");
    delivery.mail.from = {"", "alice@example.com"};
    ASSERT_TRUE(delivery.mail.AddRecipients("bob@example.com", RecipientKind::To));
    delivery.mail.SetBody("hello");
    EXPECT_EQ(delivery.Run([] {}).result, DeliveryResult::Sent);
    EXPECT_EQ(peer.Received().find(Hello("EHLO") + "AUTH PLAIN AGFsaWNlAHNlY3JldA==\r\nMAIL FROM:"), 0u);
}

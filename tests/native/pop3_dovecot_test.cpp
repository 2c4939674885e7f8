// CPop3Session against a real server: the dovecot of tests/peers, whose
// mailboxes hold the messages of tests/peers/messages. Runs through ctest,
// which starts the server (fixture pop3_peer); skipped without one.
#include "mail/pop3_session.h"
#include "core/user_texts.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Dovecot : public ::testing::Test {
  protected:
    void SetUp() override {
        port = PeerPop3Port();
        if (port == 0)
            GTEST_SKIP()
                << "no POP3 server: run through ctest, or tests/peers/pop3-peer.sh start <build>/peers";
    }
    std::unique_ptr<CPop3Session> LogIn(const std::string& user) {
        auto session = std::make_unique<CPop3Session>();
        session->SetTimeout(30000);
        EXPECT_TRUE(session->Login("127.0.0.1", user, "secret", port)) << Pop3FailureText(*session);
        return session;
    }
    int port = 0;
    CScratchStore store;
};

struct Expected {
    const char* file;
    bool complete; // the header gives To, a sender address and a date
    const char* senderName;
    const char* senderAddress;
    const char* subject;
    const char* dateText;
    const char* to;
};

// alice's mailbox, in message-number order.
const Expected alice[] = {
    {"01-plain", true, "Kim Minsu", "minsu@example.com", "Plain subject", "2001년 7월 24일 오전 10:05:09",
     "alice@tidemark.test"},
    {"02-base64", true, "이순신", "yi@example.kr", "한글 제목입니다", "2001년 8월 1일 오후 3:30:00",
     "홍길동 <alice@tidemark.test>"},
    {"03-quoted", true, "홍길동", "hong@example.kr", "회의 자료", "2001년 9월 3일 오후 1:05:00",
     "alice@tidemark.test"},
    {"04-bare-name", true, "Park Jisoo", "park@example.com", "제목 없음", "2001년 10월 12일 오후 12:30:00",
     "alice@tidemark.test"},
    {"05-paren-name", true, "Choi Yuna", "choi@example.com ", "Paren sender", "2001년 1월 4일 오전 12:00:00",
     "alice@tidemark.test"},
    {"06-no-date", false, "", "nodate@example.com", "No date at all", "", "alice@tidemark.test"},
    {"07-host-month", true, "Host Month", "host@example.com", "Month name in a host name",
     "2001년 7월 10일 오전 7:59:00", "alice@tidemark.test"},
    {"08-two-digit-year", true, "", "old@example.com", "Two-digit year", "1999년 7월 24일 오전 10:05:09",
     "alice@tidemark.test"},
    {"09-dots", true, "Dot Lines", "dots@example.com", "Lines that start with dots",
     "2001년 11월 15일 오후 9:45:30", "alice@tidemark.test"},
    {"10-attachment", true, "Big Sender", "big@example.com", "Big attachment", "2040년 1월 1일 오전 9:00:00",
     "alice@tidemark.test"},
    {"11-folded", true, "Folded", "folded@example.com", "이순신 홍길동", "2002년 2월 2일 오전 2:03:04",
     "first@tidemark.test,"},
    {"12-same-second-a", true, "Same A", "same-a@example.com", "Same second A", "2002년 3월 3일 오전 3:03:03",
     "alice@tidemark.test"},
    {"13-same-second-b", true, "Same B", "same-b@example.com", "Same second B", "2002년 3월 3일 오전 3:03:03",
     "alice@tidemark.test"},
};
constexpr int aliceCount = sizeof(alice) / sizeof(alice[0]);

// The stored copy of one of alice's messages: as the server holds it without
// the last line's CR LF, which belongs to the terminator. The copy keeps the
// server's dot-stuffing, which only 09-dots needs.
std::string StoredCopyOf(const std::string& file) {
    const std::string message = PeerMessage("alice", file);
    if (file == "09-dots")
        return message.substr(0, message.find("\r\n\r\n") + 4) +
               "..starts with one dot\r\n...starts with two dots\r\n..\r\n .\r\n..end\r\nlast line";
    return message.substr(0, message.size() - 2);
}

} // namespace

TEST_F(Dovecot, StatCountsTheMessages) {
    auto session = LogIn("alice");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), aliceCount);
    EXPECT_TRUE(session->Quit());
    auto empty = LogIn("empty");
    EXPECT_TRUE(empty->Stat());
    EXPECT_EQ(empty->GetMessageCount(), 0);
    EXPECT_TRUE(empty->Quit());
}

TEST_F(Dovecot, WrongPassword) {
    CPop3Session session;
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "wrong", port));
    EXPECT_EQ(Pop3FailureText(session), "사용자 패스워드가 잘못 입력되었습니다.");
    // dovecot delays logins after a failure until one succeeds: succeed here
    // so that the delay does not fall on the next test.
    EXPECT_TRUE(LogIn("alice")->Quit());
}

TEST_F(Dovecot, RetrievesEveryMessageWithItsFieldsAndExactCopy) {
    auto session = LogIn("alice");
    ASSERT_TRUE(session->Stat());
    ASSERT_EQ(session->GetMessageCount(), aliceCount);
    std::vector<std::string> storeFiles;
    for (int n = 1; n <= aliceCount; ++n) {
        const Expected& e = alice[n - 1];
        SCOPED_TRACE(e.file);
        EXPECT_EQ(session->Retrieve(n), e.complete) << Pop3FailureText(*session);
        EXPECT_EQ(session->GetSenderName(), e.senderName);
        EXPECT_EQ(session->GetSenderAddress(), e.senderAddress);
        EXPECT_EQ(session->GetSubject(), e.subject);
        EXPECT_EQ(session->GetDateText(), e.dateText);
        EXPECT_EQ(session->GetTo(), e.to);
        const std::string stored = ReadFileBytes(session->GetStoreFile());
        EXPECT_TRUE(stored == StoredCopyOf(e.file)) << "store copy of " << stored.size() << " bytes differs";
        storeFiles.push_back(session->GetStoreFile());
    }
    EXPECT_TRUE(session->Quit());

    EXPECT_EQ(storeFiles[0], store.Path() + "TM20010724100509.eml");
    EXPECT_GT(ReadFileBytes(storeFiles[9]).size(), 5000000u);
    // The dateless message keeps the time of the one before; it gets a name
    // of its own rather than replacing that one's copy.
    EXPECT_EQ(storeFiles[5], store.Path() + "TM20010104000000_1.eml");
    // Two mails of the same second.
    EXPECT_EQ(storeFiles[11], store.Path() + "TM20020303030303.eml");
    EXPECT_EQ(storeFiles[12], store.Path() + "TM20020303030303_1.eml");
    // Every copy is still that of its own message.
    for (int n = 1; n <= aliceCount; ++n)
        EXPECT_TRUE(ReadFileBytes(storeFiles[n - 1]) == StoredCopyOf(alice[n - 1].file)) << alice[n - 1].file;
}

TEST_F(Dovecot, CcOfTheFirstMessage) {
    auto session = LogIn("alice");
    ASSERT_TRUE(session->Retrieve(1));
    EXPECT_EQ(session->GetCc(), "bob@tidemark.test");
}

TEST_F(Dovecot, HeaderOnlyFetchAndWholeFetchShareOneFile) {
    const std::string message = PeerMessage("alice", "09-dots");
    // The blank line's CR LF begins the terminator: the header keeps its last CR LF.
    const std::string header = message.substr(0, message.find("\r\n\r\n") + 2);
    auto session = LogIn("alice");
    ASSERT_TRUE(session->Top(9, 0)) << Pop3FailureText(*session);
    const std::string path = session->GetStoreFile();
    EXPECT_EQ(ReadFileBytes(path), header);
    ASSERT_TRUE(session->Retrieve(9));
    EXPECT_EQ(session->GetStoreFile(), path);
    EXPECT_EQ(ReadFileBytes(path), StoredCopyOf("09-dots"));
    // A later header-only fetch, as the delete command makes, keeps it whole.
    ASSERT_TRUE(session->Top(9, 0));
    EXPECT_EQ(session->GetStoreFile(), path);
    EXPECT_EQ(ReadFileBytes(path), StoredCopyOf("09-dots"));
    EXPECT_EQ(session->GetSubject(), "Lines that start with dots");
}

TEST_F(Dovecot, MissingMessageIsRefusedAndTheSessionGoesOn) {
    auto session = LogIn("alice");
    EXPECT_FALSE(session->Retrieve(999));
    EXPECT_EQ(Pop3FailureText(*session), "RETR 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_FALSE(session->Top(999, 0));
    EXPECT_EQ(Pop3FailureText(*session), "TOP 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_FALSE(session->Delete(999));
    EXPECT_EQ(Pop3FailureText(*session), "DELE 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), aliceCount);
    EXPECT_TRUE(session->Retrieve(1));
    EXPECT_TRUE(session->Quit());
}

TEST_F(Dovecot, DeleteTakesEffectAtQuit) {
    auto first = LogIn("dele");
    ASSERT_TRUE(first->Stat());
    const int before = first->GetMessageCount();
    ASSERT_GT(before, 0) << "the dele mailbox is used up: run the tests through ctest to recreate it";
    ASSERT_TRUE(first->Retrieve(1));
    const std::string deletedSender = first->GetSenderAddress();
    EXPECT_TRUE(first->Delete(1));
    EXPECT_TRUE(first->Quit());
    first.reset();

    auto second = LogIn("dele");
    ASSERT_TRUE(second->Stat());
    EXPECT_EQ(second->GetMessageCount(), before - 1);
    if (second->GetMessageCount() > 0) {
        ASSERT_TRUE(second->Retrieve(1));
        EXPECT_NE(second->GetSenderAddress(), deletedSender);
    }
    EXPECT_TRUE(second->Quit());
}

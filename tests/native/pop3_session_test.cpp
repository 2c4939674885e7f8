// CPop3Session against a scripted fake server: command lines, reply kinds,
// error texts, retries, and replies cut at awkward places.
#include "mail/pop3_session.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#ifndef _WIN32
#include <sys/resource.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

const std::string message = "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\n"
                            "From: \"Kim\" <kim@example.com>\r\nTo: you@example.com\r\nSubject: Hello\r\n\r\n"
                            "Body line\r\n..stuffed line\r\nlast line";

std::string RetrReply(const std::string& text) {
    return "+OK " + std::to_string(text.size()) + " octets\r\n" + text + "\r\n.\r\n";
}

std::vector<FakeStep> WithLogin(std::vector<FakeStep> rest) {
    std::vector<FakeStep> script{Greeting(), Reply("+OK\r\n"), Reply("+OK Logged in.\r\n")};
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

class Pop3Session : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { StopSocketLibrary(); }

    // A session logged into the fake server.
    std::unique_ptr<CPop3Session> Connect(CFakePop3Server& server, int timeoutMs = 10000) {
        auto session = std::make_unique<CPop3Session>();
        session->SetTimeout(timeoutMs);
        EXPECT_TRUE(session->Login("127.0.0.1", "alice", "secret", server.Port())) << session->GetErrorText();
        return session;
    }

    CScratchStore store;
};

} // namespace

TEST_F(Pop3Session, LogsInWithUserAndPassLines) {
    CFakePop3Server server(WithLogin({}));
    Connect(server).reset();
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER alice\r\n", "PASS secret\r\n"}));
}

TEST_F(Pop3Session, ErrGreetingLeavesItsTextButTheLoginGoesOn) {
    CFakePop3Server server({Greeting("-ERR busy\r\n"), Reply("+OK\r\n"), Reply("+OK\r\n")});
    CPop3Session session;
    EXPECT_TRUE(session.Login("localhost", "alice", "secret", server.Port()));
    EXPECT_EQ(session.GetErrorText(), "연결 확인을 실패했습니다.");
}

TEST_F(Pop3Session, RefusedUser) {
    CFakePop3Server server({Greeting(), Reply("-ERR unknown\r\n")});
    auto session = std::make_unique<CPop3Session>();
    EXPECT_FALSE(session->Login("127.0.0.1", "nobody", "secret", server.Port()));
    EXPECT_EQ(session->GetErrorText(), "사용자 ID가 없습니다.");
    session.reset();
    EXPECT_EQ(server.Commands(), std::vector<std::string>{"USER nobody\r\n"});
}

TEST_F(Pop3Session, RefusedPasswordInAnyCase) {
    CFakePop3Server server({Greeting(), Reply("+OK\r\n"), Reply("-err [AUTH] Authentication failed.\r\n")});
    CPop3Session session;
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "wrong", server.Port()));
    EXPECT_EQ(session.GetErrorText(), "사용자 패스워드가 잘못 입력되었습니다.");
}

TEST_F(Pop3Session, NoServerAfterThreeTries) {
    int port;
    {
        CFakePop3Server closed({});
        port = closed.Port();
    }
    CPop3Session session;
    session.SetTimeout(2000);
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", port));
    EXPECT_EQ(session.GetErrorText(), "POP3 서버에 연결할 수 없습니다.");
    EXPECT_FALSE(session.Login("no-such-host.invalid", "alice", "secret", 110));
}

TEST_F(Pop3Session, StatTakesTheNumberAfterTheFirstBlank) {
    CFakePop3Server server(WithLogin({Reply("+OK 3 1234\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 3);
    session.reset();
    EXPECT_EQ(server.Commands().back(), "STAT \r\n");
}

TEST_F(Pop3Session, StatWithoutBlankLeavesTheCount) {
    CFakePop3Server server(WithLogin({Reply("+OK\r\n"), Reply("+OK\t5 10\r\n"), Reply("+OK\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 0);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 5);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 5);
}

TEST_F(Pop3Session, StatRefused) {
    CFakePop3Server server(WithLogin({Reply("-ERR no\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Stat());
    EXPECT_EQ(session->GetErrorText(), "STAT 명령어 실행중에 에러가 발생했습니다.");
}

TEST_F(Pop3Session, StatReplyInTinyChunksStaysInStep) {
    CFakePop3Server server(
        WithLogin({ChunkedReply({"+O", "K 7", " 99", "\r", "\n"}, 30), Reply("+OK 8 1\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 7);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 8);
}

TEST_F(Pop3Session, RetrieveStoresTheMessageAndItsFields) {
    CFakePop3Server server(WithLogin({Reply(RetrReply(message))}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1)) << session->GetErrorText();
    EXPECT_EQ(session->GetSenderName(), "Kim");
    EXPECT_EQ(session->GetSenderAddress(), "kim@example.com");
    EXPECT_EQ(session->GetSubject(), "Hello");
    EXPECT_EQ(session->GetTo(), "you@example.com");
    EXPECT_EQ(session->GetDateText(), "2001년 7월 24일 오전 10:05:09");
    EXPECT_EQ(session->GetMailTime(), CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9));
    EXPECT_EQ(session->GetStoreFile(), store.Path() + "TM20010724100509.eml");
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), message);
    EXPECT_FALSE(FileExists(store.Path() + "mail.tmp"));
    session.reset();
    EXPECT_EQ(server.Commands().back(), "RETR 1\r\n");
}

TEST_F(Pop3Session, EmptyMessageGivesAnEmptyFileAndFails) {
    CFakePop3Server server(
        WithLogin({Reply("+OK 0 octets\r\n.\r\n"), Reply("+OK\r\n.\r\n"), Reply("+OK\r\n.\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(4));
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), "");
}

TEST_F(Pop3Session, TopSendsTheLineCountAndKeepsTheStoredWholeMessage) {
    const std::string header = message.substr(0, message.find("\r\n\r\n"));
    CFakePop3Server server(
        WithLogin({Reply(RetrReply(message)), Reply("+OK\r\n" + header + "\r\n\r\n.\r\n")}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(2));
    const std::string whole = session->GetStoreFile();
    ASSERT_TRUE(session->Top(2, 0));
    EXPECT_EQ(session->GetStoreFile(), whole);
    EXPECT_EQ(ReadFileBytes(whole), message);
    EXPECT_EQ(ListFiles(store.Path()).size(), 1u);
    session.reset();
    EXPECT_EQ(server.Commands().back(), "TOP 2 0\r\n");
}

TEST_F(Pop3Session, MessageWithoutFromFailsAfterThreeTries) {
    const std::string noFrom = "To: you@example.com\r\nDate: 24 Jul 2001 10:05:09\r\n\r\nbody";
    CFakePop3Server server(WithLogin({Reply(RetrReply(noFrom)), Reply(RetrReply(noFrom)),
                                      Reply(RetrReply(noFrom)), Reply("+OK 1 2\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(3));
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 1);
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR 3\r\n"), 3);
}

TEST_F(Pop3Session, DeleteAndItsRefusal) {
    CFakePop3Server server(WithLogin({Reply("+OK marked\r\n"), Reply("-ERR no such message\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Delete(2));
    EXPECT_FALSE(session->Delete(9));
    EXPECT_EQ(session->GetErrorText(), "DELE 명령어 실행중에 에러가 발생했습니다.");
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(commands[2], "DELE 2\r\n");
    EXPECT_EQ(commands[3], "DELE 9\r\n");
}

TEST_F(Pop3Session, QuitClosesTheConnection) {
    CFakePop3Server server(WithLogin({Reply("+OK bye\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Quit());
    const auto start = Clock::now();
    EXPECT_EQ(server.Commands().back(), "QUIT \r\n"); // returns once the client has closed
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Pop3Session, RefusedQuitKeepsTheConnectionOpen) {
    CFakePop3Server server(WithLogin({Reply("-ERR not now\r\n"), Reply("+OK 2 20\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Quit());
    EXPECT_EQ(session->GetErrorText(), "POP3 서버 연결을 실패했습니다.");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 2);
}

// A chunk that ends with CR LF "." of a dot-stuffed line must not end the
// reply (nor leave the rest of the message to be read as the next reply).
TEST_F(Pop3Session, ChunkEndingInsideAStuffedLineDoesNotCutTheMessage) {
    const std::string reply = RetrReply(message);
    const size_t cut = reply.find("..stuffed") + 1;
    CFakePop3Server server(
        WithLogin({ChunkedReply({reply.substr(0, cut), reply.substr(cut)}), Reply("+OK 1 9\r\n")}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1)) << session->GetErrorText();
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), message);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 1);
}

TEST_F(Pop3Session, ShortChunksInTheMiddleDoNotEndTheMessage) {
    const std::string reply = RetrReply(message);
    std::vector<std::string> chunks;
    for (size_t at = 0; at < reply.size(); at += 4)
        chunks.push_back(reply.substr(at, 4));
    CFakePop3Server server(WithLogin({ChunkedReply(chunks, 3), Reply("+OK 1 9\r\n")}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1)) << session->GetErrorText();
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), message);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 1);
}

TEST_F(Pop3Session, TerminatorSplitAcrossChunks) {
    const std::string reply = RetrReply(message);
    for (size_t tail : {1, 2, 3, 4}) {
        CFakePop3Server server(WithLogin(
            {ChunkedReply({reply.substr(0, reply.size() - tail), reply.substr(reply.size() - tail)}),
             Reply("+OK 6 9\r\n")}));
        auto session = Connect(server);
        ASSERT_TRUE(session->Retrieve(1)) << tail;
        EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), message) << tail;
        EXPECT_TRUE(session->Stat());
        EXPECT_EQ(session->GetMessageCount(), 6) << "out of step after a split of " << tail;
    }
}

TEST_F(Pop3Session, ErrToRetrieveOrTopIsAnErrorWithoutWaiting) {
    CFakePop3Server server(WithLogin({Reply("-ERR There's no message 9.\r\n"), Reply("-ERR no\r\n"),
                                      Reply("-ERR no\r\n"), Reply("-ERR no\r\n"), Reply("-ERR no\r\n"),
                                      Reply("-ERR no\r\n"), Reply("+OK 4 400\r\n")}));
    auto session = Connect(server, 20000);
    const auto start = Clock::now();
    EXPECT_FALSE(session->Retrieve(9));
    EXPECT_EQ(session->GetErrorText(), "RETR 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_FALSE(session->Top(9, 0));
    EXPECT_EQ(session->GetErrorText(), "TOP 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 4);
}

TEST_F(Pop3Session, SilentServerTimesOutDuringLogin) {
    FakeStep silent = Reply("+OK\r\n");
    silent.then = FakeStep::Then::GoSilent;
    CFakePop3Server server({Greeting(), silent});
    CPop3Session session;
    session.SetTimeout(500);
    const auto start = Clock::now();
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", server.Port()));
    EXPECT_EQ(session.GetErrorText(), "POP3 서버가 응답하지 않습니다.");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Pop3Session, ServerThatNeverGreetsTimesOut) {
    FakeStep silent = Greeting("");
    silent.then = FakeStep::Then::GoSilent;
    CFakePop3Server server({silent});
    CPop3Session session;
    session.SetTimeout(500);
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", server.Port()));
    EXPECT_EQ(session.GetErrorText(), "POP3 서버가 응답하지 않습니다.");
}

TEST_F(Pop3Session, ServerFallingSilentInAMessageTimesOutOnce) {
    const std::string reply = RetrReply(message);
    FakeStep half = Reply(reply.substr(0, reply.size() / 2));
    half.then = FakeStep::Then::GoSilent;
    CFakePop3Server server(WithLogin({half}));
    auto session = Connect(server, 500);
    const auto start = Clock::now();
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetErrorText(), "POP3 서버가 응답하지 않습니다.");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)); // no retries on a dead connection
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR 1\r\n"), 1);
}

TEST_F(Pop3Session, ServerClosingInAMessageIsAnError) {
    const std::string reply = RetrReply(message);
    FakeStep half = Reply(reply.substr(0, reply.size() / 2));
    half.then = FakeStep::Then::Close;
    CFakePop3Server server(WithLogin({half}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetErrorText(), "POP3 서버가 연결을 끊었습니다.");
    EXPECT_EQ(session->GetStoreFile(), "");
    EXPECT_TRUE(FileExists(store.Path() + "mail.tmp")); // the partial file stays
}

TEST_F(Pop3Session, EnormousMessageArrivesWhole) {
    const std::string big = MakeMessageText(24 << 20, 5);
    CFakePop3Server server(WithLogin({Reply(RetrReply(big)), Reply("+OK 1 1\r\n")}));
    auto session = Connect(server, 60000);
    ASSERT_TRUE(session->Retrieve(1)) << session->GetErrorText();
    EXPECT_TRUE(ReadFileBytes(session->GetStoreFile()) == big);
    EXPECT_TRUE(session->Stat());
}

TEST_F(Pop3Session, MessageOverTheLimitIsRefused) {
    const std::string big = MakeMessageText(2 << 20, 6);
    FakeStep reply = Reply(RetrReply(big));
    CFakePop3Server server(WithLogin({reply}));
    auto session = Connect(server);
    session->SetMessageLimit(1 << 20);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetErrorText(), "메일이 너무 커서 받을 수 없습니다.");
}

TEST_F(Pop3Session, EndlessStatusLineIsRefusedAtTheLimit) {
    FakeStep endless = ChunkedReply({"+OK " + std::string(300000, 'x')}, 0);
    endless.then = FakeStep::Then::GoSilent;
    CFakePop3Server server(WithLogin({endless}));
    auto session = Connect(server, 5000);
    session->SetMessageLimit(100000);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetErrorText(), "메일이 너무 커서 받을 수 없습니다.");
}

TEST_F(Pop3Session, TemporaryFileIsInTheTemporaryDirectoryNotTheCurrentOne) {
    const std::string reply = RetrReply(message);
    std::atomic<bool> inStore{false}, inCurrent{true};
    FakeStep step = ChunkedReply({reply.substr(0, reply.size() / 2), reply.substr(reply.size() / 2)}, 200);
    const std::string tmp = store.Path() + "mail.tmp";
    step.afterFirstChunk = [&] {
        inStore = FileExists(tmp);
        inCurrent = FileExists("mail.tmp");
    };
    CFakePop3Server server(WithLogin({step}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1));
    EXPECT_TRUE(inStore);
    EXPECT_FALSE(inCurrent);
}

#ifndef _WIN32
TEST_F(Pop3Session, FetchWorksWhenTheCurrentDirectoryIsNotWritable) {
    // A removed working directory refuses new files even to root.
    CScratchDirectory gone;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(gone.Path().c_str()), 0);
    ASSERT_EQ(rmdir(gone.Path().c_str()), 0);
    CFakePop3Server server(WithLogin({Reply(RetrReply(message))}));
    auto session = Connect(server);
    const bool fetched = session->Retrieve(1);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_TRUE(fetched) << session->GetErrorText();
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), message);
}

TEST_F(Pop3Session, SocketThatCannotBeCreatedFailsTheLogin) {
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int next = open("/dev/null", O_RDONLY);
    ASSERT_GE(next, 0);
    close(next);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(next);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    auto session = std::make_unique<CPop3Session>();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    CFakePop3Server server(WithLogin({}));
    EXPECT_FALSE(session->Login("127.0.0.1", "alice", "secret", server.Port()));
    EXPECT_EQ(session->GetErrorText(), "POP3 서버에 연결할 수 없습니다.");
}
#endif

TEST_F(Pop3Session, TemporaryFileThatCannotBeCreatedIsReportedAndTheReplyRead) {
    CFakePop3Server server(WithLogin({Reply(RetrReply(message)), Reply(RetrReply(message)),
                                      Reply(RetrReply(message)), Reply("+OK 5 50\r\n")}));
    auto session = Connect(server);
    SetTemporaryDirectory(store.Path() + "missing");
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetErrorText(), "임시 파일 생성 에러!");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 5);
    SetTemporaryDirectory(store.Path());
}

TEST_F(Pop3Session, TwoMailsOfTheSameSecondKeepTheirOwnCopies) {
    const std::string other = "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\n"
                              "From: other@example.com\r\nTo: you@example.com\r\n\r\nAnother body";
    CFakePop3Server server(WithLogin({Reply(RetrReply(message)), Reply(RetrReply(other))}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1));
    const std::string first = session->GetStoreFile();
    ASSERT_TRUE(session->Retrieve(2));
    EXPECT_NE(session->GetStoreFile(), first);
    EXPECT_EQ(ReadFileBytes(first), message);
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), other);
}

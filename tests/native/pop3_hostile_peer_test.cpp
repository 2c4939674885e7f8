// CPop3Session against hostile or broken servers: silence, trickling,
// closed connections, oversized replies, a stop from another thread, and
// input that must never reach the server.
#include "pop3_fixture.h"
#include "core/user_texts.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

const char* const closedText = "POP3 서버가 연결을 끊었습니다.";
const char* const timedOutText = "POP3 서버가 응답하지 않습니다.";

} // namespace

TEST_F(Pop3Session, ConnectionClosedOrSilentWhileAStatusLineIsAwaitedFails) {
    const struct {
        std::vector<PeerStep> script;
        const char* text;
    } logins[] = {
        {{Greeting(), Hangup()}, closedText},                       // closed after the greeting
        {{Greeting(), Reply("+OK\r\n"), Hangup()}, closedText},     // after USER
        {{Hangup()}, closedText},                                   // before any greeting
        {{Greeting(), Reply("+OK\r\n"), GoSilent()}, timedOutText}, // silent after USER
        {{GoSilent()}, timedOutText},                               // never greets
    };
    for (size_t i = 0; i < std::size(logins); ++i) {
        CScriptedPeer server(logins[i].script);
        CPop3Session session;
        session.SetTimeout(500);
        const auto start = Clock::now();
        EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", server.Port())) << i;
        EXPECT_EQ(Pop3FailureText(session), logins[i].text) << i;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << i;
        EXPECT_FALSE(session.IsConnected()) << i;
        EXPECT_FALSE(session.Stat()) << i;
    }
    CScriptedPeer server(WithLogin({Hangup()}));
    auto session = Connect(server);
    EXPECT_TRUE(session->IsConnected());
    EXPECT_FALSE(session->Stat());
    EXPECT_EQ(Pop3FailureText(*session), closedText);
    EXPECT_FALSE(session->IsConnected());
}

// A server that sends a byte now and then, never falling silent for long,
// is cut off at the reply's deadline.
TEST_F(Pop3Session, TricklingServerIsCutAtTheDeadline) {
    {
        CScriptedPeer server({Trickle("+OK a very slow server says hello\r\n", false)});
        CPop3Session session;
        session.SetReplyDeadline(1000);
        const auto start = Clock::now();
        EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", server.Port()));
        EXPECT_EQ(Pop3FailureText(session), timedOutText);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    }
    CScriptedPeer server(WithLogin({Trickle(RetrReply(sampleMessage), true)}));
    auto session = Connect(server);
    session->SetReplyDeadline(1000);
    const auto start = Clock::now();
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(Pop3FailureText(*session), timedOutText);
    EXPECT_FALSE(session->IsConnected());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Pop3Session, StopEndsABlockedReceive) {
    CScriptedPeer server(WithLogin({Trickle(RetrReply(sampleMessage), true, 500), GoSilent()}));
    auto session = Connect(server, 60000);
    std::atomic<int> running{1};
    session->SetStopFlag(&running);
    std::thread stopper([&running] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        running = 0;
    });
    const auto start = Clock::now();
    EXPECT_FALSE(session->Retrieve(1));
    stopper.join();
    EXPECT_EQ(Pop3FailureText(*session), "메일 체크를 중지했습니다.");
    EXPECT_FALSE(session->IsConnected());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(Pop3Session, CredentialsWithLineBreaksAreNeverSent) {
    const std::pair<std::string, std::string> logins[] = {
        {"alice\r\nDELE 1", "secret"},
        {"alice", "secret\nDELE 1"},
        {"alice", std::string("se\0cret", 7)},
    };
    for (const auto& [user, password] : logins) {
        CScriptedPeer server(WithLogin({}));
        CPop3Session session;
        EXPECT_FALSE(session.Login("127.0.0.1", user, password, server.Port()));
        EXPECT_EQ(Pop3FailureText(session), "사용자 ID 또는 패스워드에 쓸 수 없는 문자가 있습니다.");
        CSocketTransport poke; // the peer's one connection: nothing came before it
        ASSERT_TRUE(poke.Create() && poke.Connect("127.0.0.1", server.Port()));
        poke.Close();
        EXPECT_EQ(server.Received(), "");
    }
}

// A mail sent as a blind copy has no To line: its header is incomplete, but
// fetching it again would bring the same bytes.
TEST_F(Pop3Session, MailWithoutToIsFetchedOnce) {
    const std::string blindCopy = "From: kim@example.com\r\nDate: 24 Jul 2001 10:05:09\r\n\r\nbody";
    CScriptedPeer server(WithLogin({Reply(RetrReply(blindCopy)), Reply("+OK 1 2\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(session->GetHeaderNumber(), 1);
    EXPECT_EQ(session->GetSenderAddress(), "kim@example.com");
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), blindCopy);
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 1);
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR 1\r\n"), 1);
}

// A server that falls silent or closes halfway through a message: the
// message fails once (no retries on a dead connection) and nothing of it stays.
TEST_F(Pop3Session, ServerFailingInAMessageEndsTheTransfer) {
    const std::string reply = RetrReply(sampleMessage);
    const std::string half = reply.substr(0, reply.size() / 2);
    const struct {
        PeerStep after;
        const char* text;
    } failures[] = {{GoSilent(), timedOutText}, {Hangup(), closedText}};
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.text);
        CScriptedPeer server(WithLogin({Reply(half), failure.after}));
        auto session = Connect(server, 500);
        const auto start = Clock::now();
        EXPECT_FALSE(session->Retrieve(1));
        EXPECT_EQ(Pop3FailureText(*session), failure.text);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(session->GetStoreFile(), "");
        EXPECT_TRUE(ListFiles(store.Path()).empty());
        session.reset();
        const auto commands = server.Commands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR 1\r\n"), 1);
    }
}

TEST_F(Pop3Session, MessageOverTheLimitIsRefused) {
    const std::string big = MakeMessageText(2 << 20, 6);
    CScriptedPeer server(WithLogin({Reply(RetrReply(big))}));
    auto session = Connect(server);
    session->SetMessageLimit(1 << 20);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(Pop3FailureText(*session), "메일이 너무 커서 받을 수 없습니다.");
}

TEST_F(Pop3Session, EndlessStatusLineIsRefusedAtTheLimit) {
    CScriptedPeer server(WithLogin({Reply("+OK " + std::string(300000, 'x')), GoSilent()}));
    auto session = Connect(server, 5000);
    session->SetMessageLimit(100000);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(Pop3FailureText(*session), "메일이 너무 커서 받을 수 없습니다.");
}

#ifndef _WIN32
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
    EXPECT_FALSE(session->HasSocket()); // the caller shows noSocketText
    CScriptedPeer server(WithLogin({}));
    EXPECT_FALSE(session->Login("127.0.0.1", "alice", "secret", server.Port()));
    EXPECT_EQ(Pop3FailureText(*session), "POP3 서버에 연결할 수 없습니다.");
}
#endif

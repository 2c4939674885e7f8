// CPop3Session against a scripted peer: command lines, reply kinds, error
// texts and the state of the connection.
#include "pop3_fixture.h"
#include "core/user_texts.h"

#include <vector>

TEST_F(Pop3Session, LoginRepliesGiveTheirResultTextAndLines) {
    const std::vector<std::string> both = {"USER alice\r\n", "PASS secret\r\n"};
    const char* const wrongPassword = "사용자 패스워드가 잘못 입력되었습니다.";
    const struct {
        const char* what;
        std::vector<PeerStep> script;
        const char* user;
        bool loggedIn;
        const char* text; // nullptr: not looked at
        std::vector<std::string> commands;
    } cases[] = {
        {"accepted", WithLogin({}), "alice", true, nullptr, both},
        {"-ERR greeting: the login goes on",
         {Greeting("-ERR busy\r\n"), Reply("+OK\r\n"), Reply("+OK\r\n")},
         "alice",
         true,
         "연결 확인을 실패했습니다.",
         both},
        {"refused user",
         {Greeting(), Reply("-ERR unknown\r\n")},
         "nobody",
         false,
         "사용자 ID가 없습니다.",
         {"USER nobody\r\n"}},
        {"refused password in any case",
         {Greeting(), Reply("+OK\r\n"), Reply("-err [AUTH] Authentication failed.\r\n")},
         "alice",
         false,
         wrongPassword,
         both},
        {"only +OK counts as an answer",
         {Greeting(), Reply("+OK\r\n"), Reply("welcome\r\n")},
         "alice",
         false,
         wrongPassword,
         both},
    };
    for (const auto& c : cases) {
        CScriptedPeer server(c.script);
        {
            CPop3Session session;
            EXPECT_EQ(session.Login("127.0.0.1", c.user, "secret", server.Port()), c.loggedIn) << c.what;
            if (c.text) {
                EXPECT_EQ(Pop3FailureText(session), c.text) << c.what;
            }
            if (!c.loggedIn) {
                EXPECT_EQ(session.GetServerReply() + "\r\n", c.script.back().chunks[0]) << c.what;
            }
        }
        EXPECT_EQ(server.Commands(), c.commands) << c.what;
    }
}

TEST_F(Pop3Session, NoServerAfterThreeTries) {
    int port;
    {
        CScriptedPeer closed({});
        port = closed.Port();
    }
    CPop3Session session;
    session.SetTimeout(2000);
    EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", port));
    EXPECT_EQ(Pop3FailureText(session), "POP3 서버에 연결할 수 없습니다.");
    EXPECT_FALSE(session.Login("no-such-host.invalid", "alice", "secret", 110));
}

TEST_F(Pop3Session, StatRepliesGiveTheirCountsInStep) {
    const char* const statError = "STAT 명령어 실행중에 에러가 발생했습니다.";
    const int most = CPop3Session::maxMessageCount;
    const struct {
        const char* what;
        std::vector<PeerStep> replies;
        std::vector<std::pair<bool, int>> results; // of each STAT, and the count after it
        const char* text;                          // nullptr: not looked at
    } cases[] = {
        {"the number after the first blank", {Reply("+OK 3 1234\r\n")}, {{true, 3}}, nullptr},
        {"without a count the count stays",
         {Reply("+OK\r\n"), Reply("+OK\t5 10\r\n"), Reply("+OK\r\n")},
         {{false, 0}, {true, 5}, {false, 5}},
         nullptr},
        {"refused", {Reply("-ERR no\r\n")}, {{false, 0}}, statError},
        {"tiny chunks stay in step",
         {ChunkedReply({"+O", "K 7", " 99", "\r", "\n"}, 30), Reply("+OK 8 1\r\n")},
         {{true, 7}, {true, 8}},
         nullptr},
        {"capped, and a number",
         {Reply("+OK 4294967296 10\r\n"), Reply("+OK -3 0\r\n"), Reply("+OK many\r\n")},
         {{true, most}, {false, most}, {false, most}},
         statError},
    };
    for (const auto& c : cases) {
        CScriptedPeer server(WithLogin(c.replies));
        auto session = Connect(server);
        for (const auto& [accepted, count] : c.results) {
            EXPECT_EQ(session->Stat(), accepted) << c.what;
            EXPECT_EQ(session->GetMessageCount(), count) << c.what;
        }
        if (c.text) {
            EXPECT_EQ(Pop3FailureText(*session), c.text) << c.what;
        }
        session.reset();
        EXPECT_EQ(server.Commands().back(), "STAT \r\n") << c.what;
    }
}

TEST_F(Pop3Session, DeleteAndItsRefusal) {
    CScriptedPeer server(WithLogin({Reply("+OK marked\r\n"), Reply("-ERR no such message\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Delete(2));
    EXPECT_FALSE(session->Delete(9));
    EXPECT_EQ(Pop3FailureText(*session), "DELE 명령어 실행중에 에러가 발생했습니다.");
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(commands[2], "DELE 2\r\n");
    EXPECT_EQ(commands[3], "DELE 9\r\n");
}

TEST_F(Pop3Session, QuitClosesTheConnection) {
    CScriptedPeer server(WithLogin({Reply("+OK bye\r\n")}));
    auto session = Connect(server);
    EXPECT_TRUE(session->Quit());
    const auto start = Clock::now();
    EXPECT_EQ(server.Commands().back(), "QUIT \r\n"); // returns once the client has closed
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Pop3Session, RefusedQuitKeepsTheConnectionOpen) {
    CScriptedPeer server(WithLogin({Reply("-ERR not now\r\n"), Reply("+OK 2 20\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Quit());
    EXPECT_EQ(Pop3FailureText(*session), "POP3 서버 연결을 실패했습니다.");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 2);
}

TEST_F(Pop3Session, NoCredentialGoesOutUnlessTlsIsUp) {
    const struct {
        ConnectionSecurity security;
        std::vector<PeerStep> script;
        const char* error; // null: the platform's TLS failure
    } cases[] = {
        {ConnectionSecurity::StartTls,
         {Greeting(), Reply("-ERR not here\r\n")},
         "POP3 서버가 보안 연결(STLS)을 거부했습니다."},
        {ConnectionSecurity::StartTls,
         {Greeting(), Reply("+OK begin TLS\r\n+OK injected\r\n"), Hangup()},
         nullptr},
        {ConnectionSecurity::TlsOnConnect, {Greeting(), Hangup()}, nullptr},
    };
    for (const auto& c : cases) {
        CScriptedPeer server(c.script);
        CPop3Session session;
        session.SetTimeout(5000);
        session.SetSecurity(c.security, "");
        EXPECT_FALSE(session.Login("127.0.0.1", "alice", "secret", server.Port()));
        EXPECT_FALSE(session.IsConnected());
        const std::string received = server.Received();
        EXPECT_EQ(received.find("secret"), std::string::npos);
        EXPECT_EQ(received.find("USER"), std::string::npos);
        if (c.error) {
            EXPECT_EQ(Pop3FailureText(session), c.error);
        }
#ifndef _WIN32
        else {
            EXPECT_EQ(Pop3FailureText(session), "TLS를 지원하지 않습니다.");
        }
#endif
    }
}

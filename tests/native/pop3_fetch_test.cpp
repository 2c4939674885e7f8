// CPop3Session fetching messages: replies cut at awkward places, the
// temporary file, and the copies in the store.
#include "pop3_fixture.h"
#include "core/user_texts.h"

#include <algorithm>
#include <atomic>

#ifndef _WIN32
#include <unistd.h>
#endif

TEST_F(Pop3Session, RetrieveStoresTheMessageAndItsFields) {
    CScriptedPeer server(WithLogin({Reply(RetrReply(sampleMessage))}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1)) << Pop3FailureText(*session);
    EXPECT_EQ(session->GetSenderName(), "Kim");
    EXPECT_EQ(session->GetSenderAddress(), "kim@example.com");
    EXPECT_EQ(session->GetSubject(), "Hello");
    EXPECT_EQ(session->GetTo(), "you@example.com");
    EXPECT_EQ(session->GetDateText(), "2001년 7월 24일 오전 10:05:09");
    EXPECT_EQ(session->GetMailTime(), CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9));
    EXPECT_EQ(session->GetStoreFile(), store.Path() + "TM20010724100509.eml");
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), sampleMessage);
    EXPECT_FALSE(FileExists(store.Path() + "mail.tmp"));
    session.reset();
    EXPECT_EQ(server.Commands().back(), "RETR 1\r\n");
}

TEST_F(Pop3Session, EmptyMessageGivesAnEmptyFileAndFails) {
    CScriptedPeer server(
        WithLogin({Reply("+OK 0 octets\r\n.\r\n"), Reply("+OK\r\n.\r\n"), Reply("+OK\r\n.\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(4));
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), "");
}

TEST_F(Pop3Session, TopSendsTheLineCountAndKeepsTheStoredWholeMessage) {
    const std::string header = sampleMessage.substr(0, sampleMessage.find("\r\n\r\n"));
    CScriptedPeer server(
        WithLogin({Reply(RetrReply(sampleMessage)), Reply("+OK\r\n" + header + "\r\n\r\n.\r\n")}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(2));
    const std::string whole = session->GetStoreFile();
    ASSERT_TRUE(session->Top(2, 0));
    EXPECT_EQ(session->GetStoreFile(), whole);
    EXPECT_EQ(ReadFileBytes(whole), sampleMessage);
    EXPECT_EQ(ListFiles(store.Path()).size(), 1u);
    session.reset();
    EXPECT_EQ(server.Commands().back(), "TOP 2 0\r\n");
}

TEST_F(Pop3Session, MessageWithoutFromFailsAfterThreeTries) {
    const std::string noFrom = "To: you@example.com\r\nDate: 24 Jul 2001 10:05:09\r\n\r\nbody";
    CScriptedPeer server(WithLogin({Reply(RetrReply(noFrom)), Reply(RetrReply(noFrom)),
                                    Reply(RetrReply(noFrom)), Reply("+OK 1 2\r\n")}));
    auto session = Connect(server);
    EXPECT_FALSE(session->Retrieve(3));
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 1);
    session.reset();
    const auto commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR 3\r\n"), 3);
}

// However the reply is cut into sends, the whole message arrives and the
// session stays in step for the next command. A chunk that ends with CR LF
// "." of a dot-stuffed line must not end the reply (nor leave the rest of the
// message to be read as the next reply).
TEST_F(Pop3Session, RepliesCutAnywhereArriveWholeAndInStep) {
    const std::string reply = RetrReply(sampleMessage);
    const size_t stuffed = reply.find("..stuffed") + 1;
    std::vector<std::string> fourBytes;
    for (size_t at = 0; at < reply.size(); at += 4)
        fourBytes.push_back(reply.substr(at, 4));
    std::vector<std::pair<std::string, PeerStep>> cuts = {
        {"inside a stuffed line", ChunkedReply({reply.substr(0, stuffed), reply.substr(stuffed)})},
        {"short chunks", ChunkedReply(fourBytes, 3)},
    };
    for (size_t tail : {1, 2, 3, 4})
        cuts.emplace_back(
            "terminator split " + std::to_string(tail) + " bytes from the end",
            ChunkedReply({reply.substr(0, reply.size() - tail), reply.substr(reply.size() - tail)}));
    for (const auto& [what, step] : cuts) {
        SCOPED_TRACE(what);
        CScriptedPeer server(WithLogin({step, Reply("+OK 6 9\r\n")}));
        auto session = Connect(server);
        ASSERT_TRUE(session->Retrieve(1)) << Pop3FailureText(*session);
        EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), sampleMessage);
        EXPECT_TRUE(session->Stat());
        EXPECT_EQ(session->GetMessageCount(), 6) << "out of step";
    }
}

TEST_F(Pop3Session, ErrToRetrieveOrTopIsAnErrorWithoutWaiting) {
    CScriptedPeer server(WithLogin({Reply("-ERR There's no message 9.\r\n"), Reply("-ERR no\r\n"),
                                    Reply("-ERR no\r\n"), Reply("-ERR no\r\n"), Reply("-ERR no\r\n"),
                                    Reply("-ERR no\r\n"), Reply("+OK 4 400\r\n")}));
    auto session = Connect(server, 20000);
    const auto start = Clock::now();
    EXPECT_FALSE(session->Retrieve(9));
    EXPECT_EQ(Pop3FailureText(*session), "RETR 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_FALSE(session->Top(9, 0));
    EXPECT_EQ(Pop3FailureText(*session), "TOP 명령어 실행중에 에러가 발생했습니다.");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 4);
}

TEST_F(Pop3Session, ADateThatDoesNotConvertIsTheFailureOfItsFetch) {
    CScriptedPeer server(
        WithLogin({Reply(RetrReply("From: a@b\r\nTo: c@d\r\nDate: 24 Jul 1960 10:00:00\r\n"))}));
    auto session = Connect(server, 20000);
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(Pop3FailureText(*session), "날짜 변환 에러입니다!");
}

TEST_F(Pop3Session, EnormousMessageArrivesWhole) {
    const std::string big = MakeMessageText(24 << 20, 5);
    CScriptedPeer server(WithLogin({Reply(RetrReply(big)), Reply("+OK 1 1\r\n")}));
    auto session = Connect(server, 60000);
    ASSERT_TRUE(session->Retrieve(1)) << Pop3FailureText(*session);
    EXPECT_TRUE(ReadFileBytes(session->GetStoreFile()) == big);
    EXPECT_TRUE(session->Stat());
}

// The message goes straight into its store file as it arrives: no scratch
// file, and nothing in the current directory.
TEST_F(Pop3Session, AMessageIsWrittenStraightIntoItsStoreFile) {
    const std::string reply = RetrReply(sampleMessage);
    std::vector<std::string> whileArriving;
    std::atomic<bool> inCurrent{true};
    PeerStep step = ChunkedReply({reply.substr(0, reply.size() / 2), reply.substr(reply.size() / 2)}, 200);
    step.afterFirstChunk = [&] {
        whileArriving = ListFiles(store.Path());
        inCurrent = FileExists("mail.tmp") || FileExists("TM20010724100509.eml");
    };
    CScriptedPeer server(WithLogin({step}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1));
    EXPECT_EQ(whileArriving, std::vector<std::string>{"TM20010724100509.eml"});
    EXPECT_FALSE(inCurrent);
    EXPECT_EQ(ListFiles(store.Path()), std::vector<std::string>{"TM20010724100509.eml"});
}

#ifndef _WIN32
TEST_F(Pop3Session, FetchWorksWhenTheCurrentDirectoryIsNotWritable) {
    // A removed working directory refuses new files even to root.
    CScratchDirectory gone;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(gone.Path().c_str()), 0);
    ASSERT_EQ(rmdir(gone.Path().c_str()), 0);
    CScriptedPeer server(WithLogin({Reply(RetrReply(sampleMessage))}));
    auto session = Connect(server);
    const bool fetched = session->Retrieve(1);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_TRUE(fetched) << Pop3FailureText(*session);
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), sampleMessage);
}
#endif

TEST_F(Pop3Session, TemporaryFileThatCannotBeCreatedIsReportedAndTheReplyRead) {
    CScriptedPeer server(WithLogin({Reply(RetrReply(sampleMessage)), Reply(RetrReply(sampleMessage)),
                                    Reply(RetrReply(sampleMessage)), Reply("+OK 5 50\r\n")}));
    auto session = Connect(server);
    SetTemporaryDirectory(store.Path() + "missing");
    EXPECT_FALSE(session->Retrieve(1));
    EXPECT_EQ(Pop3FailureText(*session), "임시 파일 생성 에러!");
    EXPECT_TRUE(session->Stat());
    EXPECT_EQ(session->GetMessageCount(), 5);
    SetTemporaryDirectory(store.Path());
}

TEST_F(Pop3Session, TwoMailsOfTheSameSecondKeepTheirOwnCopies) {
    const std::string other = "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\n"
                              "From: other@example.com\r\nTo: you@example.com\r\n\r\nAnother body";
    CScriptedPeer server(WithLogin({Reply(RetrReply(sampleMessage)), Reply(RetrReply(other))}));
    auto session = Connect(server);
    ASSERT_TRUE(session->Retrieve(1));
    const std::string first = session->GetStoreFile();
    ASSERT_TRUE(session->Retrieve(2));
    EXPECT_NE(session->GetStoreFile(), first);
    EXPECT_EQ(ReadFileBytes(first), sampleMessage);
    EXPECT_EQ(ReadFileBytes(session->GetStoreFile()), other);
}

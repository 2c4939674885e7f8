// CImapSession against a scripted server: the exact commands, and what a
// real server seldom does (odd literals, BYE, no IDLE or UIDPLUS, a changed
// UIDVALIDITY, silence, a stop in IDLE).
#include "mail/imap_session.h"
#include "mail/mail_store.h"

#include "scripted_peer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

PeerStep ImapGreeting(const char* capabilities = "IMAP4rev1 IDLE UIDPLUS") {
    return Say(std::string("* OK [CAPABILITY ") + capabilities + "] ready\r\n");
}

// A greeting, LOGIN accepted and INBOX examined (UIDVALIDITY 5), then rest.
std::vector<PeerStep> Opened(std::vector<PeerStep> rest,
                             const char* capabilities = "IMAP4rev1 IDLE UIDPLUS") {
    std::vector<PeerStep> script{ImapGreeting(capabilities),
                                 Reply(std::string("A1 OK [CAPABILITY ") + capabilities + "] in\r\n"),
                                 Reply("* 3 EXISTS\r\n* OK [UIDVALIDITY 5] v\r\nA2 OK [READ-ONLY] done\r\n")};
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

void LogInAndOpen(CImapSession& session, int port) {
    session.SetTimeout(5000);
    ASSERT_TRUE(session.Login("127.0.0.1", "kim", "secret", port));
    ASSERT_TRUE(session.OpenInbox(false));
    EXPECT_EQ(session.GetUidValidity(), 5u);
}

} // namespace

TEST(ImapSession, SendsItsCommandsAsWrittenAndReadsOddlyShapedAnswers) {
    CScratchStore store;
    CScriptedPeer server(
        {ImapGreeting("IMAP4rev1"), Reply("+ go\r\n"), Reply("A1 OK in\r\n"),
         Reply("* CAPABILITY IMAP4rev1\r\nA2 OK\r\n"), Reply("* OK [UIDVALIDITY 9] v\r\nA3 OK\r\n"),
         Reply("* SEARCH 2 4 5\r\nA4 OK\r\n"),
         Reply("* 1 FETCH (FLAGS (\\Seen))\r\n* 4 FETCH (UID 4 INTERNALDATE {26}\r\n"
               " 1-Jan-2002 09:00:00 +0900 BODY[HEADER] \"From: a@b.c\")\r\n"
               "* 5 FETCH (UID 5 BODY[HEADER] {15}\r\nFrom: x@y.z\r\n\r\n RFC822.SIZE 99)\r\nA5 OK\r\n"),
         Reply("* 4 FETCH (FLAGS (\\Deleted) UID 4)\r\nA6 OK\r\n"), Reply("* BYE\r\nA7 OK\r\n")});
    CImapSession session;
    EXPECT_FALSE(session.Login("127.0.0.1", "kim\r\nA9 DELETE INBOX", "secret", server.Port()));
    EXPECT_EQ(session.GetResult(), ImapResult::BadCredential);
    ASSERT_TRUE(session.Login("127.0.0.1", "kim", "\xBE\xCF\"\\", server.Port()));
    ASSERT_TRUE(session.OpenInbox(true));
    std::vector<std::uint32_t> uids;
    ASSERT_TRUE(session.SearchUnseen(3, uids));
    EXPECT_EQ(uids, (std::vector<std::uint32_t>{4, 5})); // "4:*" also gave the highest UID, 2
    std::vector<ImapMailSummary> mails;
    ASSERT_TRUE(session.FetchSummaries(uids, mails));
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].header.senderAddress, "a@b.c");
    EXPECT_EQ(mails[0].arrival.GetSeconds(), 1009843200);
    EXPECT_TRUE(IsStoreFilePresent(mails[0].header.storeFile));
    EXPECT_EQ(mails[1].header.senderAddress, "x@y.z");
    EXPECT_EQ(mails[1].size, 99u);
    EXPECT_TRUE(session.Delete(4));
    EXPECT_EQ(session.GetResult(), ImapResult::MarkedOnly); // no UIDPLUS: nothing expunged
    EXPECT_TRUE(session.Logout());
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{
                                     "A1 LOGIN \"kim\" {4}\r\n", "\xBE\xCF\"\\\r\n", "A2 CAPABILITY\r\n",
                                     "A3 SELECT INBOX\r\n", "A4 UID SEARCH UNSEEN UNDELETED UID 4:*\r\n",
                                     "A5 UID FETCH 4:5 (UID INTERNALDATE RFC822.SIZE BODY.PEEK[HEADER])\r\n",
                                     "A6 UID STORE 4 +FLAGS (\\Deleted)\r\n", "A7 LOGOUT\r\n"}));
}

TEST(ImapSession, LoginDisabledAuthenticatesWithPlain) {
    CScriptedPeer server({ImapGreeting("IMAP4rev1 LOGINDISABLED AUTH=PLAIN"), Reply("+\r\n"),
                          Reply("A1 OK [CAPABILITY IMAP4rev1] in\r\n"), Reply("A2 OK\r\n")});
    CImapSession session;
    ASSERT_TRUE(session.Login("127.0.0.1", "kim", "secret", server.Port()));
    session.Logout();
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{"A1 AUTHENTICATE PLAIN\r\n",
                                                           "AGtpbQBzZWNyZXQ=\r\n", "A2 LOGOUT\r\n"}));
}

TEST(ImapSession, FailuresGiveTheirKindAndTheServersWords) {
    const auto search = [](CImapSession& s) {
        std::vector<std::uint32_t> uids;
        return s.SearchUnseen(0, uids);
    };
    const auto idle = [](CImapSession& s) {
        ImapChanges changes;
        return s.Idle(changes);
    };
    const struct {
        std::vector<PeerStep> script;
        std::function<bool(CImapSession&)> operation;
        ImapResult result;
        const char* text;
    } cases[] = {
        {Opened({Reply("* BYE shutting down\r\n"), Hangup()}), search, ImapResult::Bye, "shutting down"},
        {Opened({Reply("A3 NO [SERVERBUG] sorry\r\n")}), search, ImapResult::Refused, "sorry"},
        {Opened({Reply("* OK [UIDVALIDITY 6] new\r\n* SEARCH 4\r\nA3 OK\r\n")}), search,
         ImapResult::UidValidityChanged, ""},
        {Opened({Trickle("* SEARCH 4\r\n", true, 100)}), search, ImapResult::TimedOut, ""},
        {Opened({}, "IMAP4rev1"), idle, ImapResult::NoIdle, ""},
        {Opened({Reply("+ idling\r\n* BYE going away\r\n")}), idle, ImapResult::Bye, "going away"},
        {Opened({Reply("A3 BAD no\r\n")}), [](CImapSession& s) { return s.FetchMail(7); },
         ImapResult::Refused, "no"},
    };
    for (const auto& c : cases) {
        CScriptedPeer server(c.script);
        CImapSession session;
        session.SetResponseDeadline(600);
        LogInAndOpen(session, server.Port());
        EXPECT_FALSE(c.operation(session));
        EXPECT_EQ(session.GetResult(), c.result) << static_cast<int>(c.result);
        EXPECT_EQ(session.GetServerText(), c.text);
    }
}

TEST(ImapSession, IdleRenewsHearsNewMailAndLeavesPromptlyOnStop) {
    CScriptedPeer server(
        Opened({Reply("* 4 FETCH (FLAGS ())\r\nA3 OK\r\n"), Reply("+ idling\r\n"), Reply("A4 OK renewed\r\n"),
                Reply("+ idling\r\n* 4 EXISTS\r\n"), Reply("A5 OK\r\n"), Reply("+ idling\r\n"),
                Reply("A6 OK\r\n* BYE\r\nA7 OK\r\n")}));
    CImapSession session;
    std::atomic<int> running{1};
    session.SetStopFlag(&running);
    session.SetIdleRenewal(300);
    LogInAndOpen(session, server.Port());
    ImapChanges changes;
    EXPECT_FALSE(session.FetchMail(9)); // its answer tells of a mail read elsewhere
    ASSERT_TRUE(session.Idle(changes));
    EXPECT_TRUE(changes.mailChanged);
    ASSERT_TRUE(session.Idle(changes));
    EXPECT_TRUE(changes.newMail);
    EXPECT_FALSE(changes.mailChanged);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        running = 0;
    });
    const auto start = Clock::now();
    EXPECT_FALSE(session.Idle(changes));
    stopper.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(session.GetResult(), ImapResult::Stopped);
    EXPECT_FALSE(session.IsConnected());
    const std::vector<std::string> sent = server.Commands();
    EXPECT_EQ(
        std::vector<std::string>(sent.begin() + 2, sent.end()),
        (std::vector<std::string>{"A3 UID FETCH 9 (UID BODY.PEEK[])\r\n", "A4 IDLE\r\n", "DONE\r\n",
                                  "A5 IDLE\r\n", "DONE\r\n", "A6 IDLE\r\n", "DONE\r\n", "A7 LOGOUT\r\n"}));
}

// CImapPush: watchers in IDLE on the dovecot of tests/peers (the user push)
// and on scripted servers (no IDLE, a dropped connection).
#include "core/imap_push.h"

#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <tuple>

namespace {

using Clock = std::chrono::steady_clock;

ServerEntry ImapAccount(int port, int protocol = ProtocolImap, bool checked = true) {
    ServerEntry account;
    std::tie(account.Address, account.ID, account.Password) = std::make_tuple("127.0.0.1", "push", "secret");
    std::tie(account.Port, account.Protocol, account.CheckYN) = std::make_tuple(port, protocol, checked);
    return account;
}

// Whether `done` came true within 5 seconds.
template <typename Done> bool Eventually(Done done) {
    for (const auto end = Clock::now() + std::chrono::seconds(5); !done() && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// The greeting, and LOGIN accepted, with `capabilities`.
std::vector<PeerStep> LoggedIn(const std::string& capabilities) {
    return {Say("* OK [CAPABILITY " + capabilities + "] ready\r\n"),
            Reply("A1 OK [CAPABILITY " + capabilities + "] in\r\n")};
}

// INBOX examined and IDLE begun, then `end`.
std::vector<PeerStep> IdleScript(PeerStep end) {
    std::vector<PeerStep> script = LoggedIn("IMAP4rev1 IDLE");
    script.insert(script.end(), {Reply("* 1 EXISTS\r\n* OK [UIDVALIDITY 5] v\r\nA2 OK [READ-ONLY] done\r\n"),
                                 Reply("+ idling\r\n"), end});
    return script;
}

} // namespace

TEST(ImapPush, DeliveryWakesTheWatcherOfItsAccountAndStopEndsIt) {
    int port = 0;
#ifdef TIDEMARK_PEERS_DIR
    std::ifstream(std::string(TIDEMARK_PEERS_DIR) + "/imap.port") >> port;
#endif
    if (port == 0)
        GTEST_SKIP() << "no IMAP server: run through ctest";
    std::atomic<int> reported{-1};
    CImapPush push;
    push.Start({ImapAccount(port, ProtocolPop3), ImapAccount(port), ImapAccount(port, ProtocolImap, false)},
               60000, [&](int account) { reported = account; });
    EXPECT_EQ(push.GetWatcherCount(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
#ifdef TIDEMARK_PEERS_DIR
    std::ofstream(std::string(TIDEMARK_PEERS_DIR) + "/mail/push/Maildir/new/4000.push", std::ios::binary)
        << "From: p@example.com\r\nTo: push@tidemark.test\r\nSubject: Push\r\n\r\nNew.\r\n";
#endif
    EXPECT_TRUE(Eventually([&] { return reported == 1; }));
    const auto start = Clock::now();
    push.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(push.GetWatcherCount(), 0);
}

TEST(ImapPush, LeavesAServerWithoutIdleAndReconnectsAfterADrop) {
    std::atomic<int> reported{-1};
    CImapPush::ChangeHandler report = [&](int account) { reported = account; };
    CImapPush push;
    push.SetFirstPause(50);
    {
        std::vector<PeerStep> script = LoggedIn("IMAP4rev1");
        script.push_back(Reply("* BYE\r\nA2 OK\r\n"));
        CScriptedPeer server(script);
        push.Start({ImapAccount(server.Port())}, 60000, report);
        EXPECT_EQ(server.Commands(),
                  (std::vector<std::string>{"A1 LOGIN \"push\" \"secret\"\r\n", "A2 LOGOUT\r\n"}));
    }
    EXPECT_TRUE(Eventually([&] { return push.GetWatcherCount() == 0; }));
    EXPECT_EQ(reported, -1);

    auto dropping = std::make_unique<CScriptedPeer>(IdleScript(Hangup()));
    const int port = dropping->Port();
    push.Start({ImapAccount(port)}, 60000, report);
    dropping->Received();
    dropping.reset();
    CScriptedPeer idling(IdleScript(GoSilent()), port);
    EXPECT_TRUE(Eventually([&] { return reported == 0; })); // mail may have come while it was away
    push.Stop(0); // leaves in the background
    EXPECT_EQ(idling.Commands().back(), "A4 LOGOUT\r\n");
}

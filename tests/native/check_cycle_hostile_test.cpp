// The mail check against servers and senders that misbehave: connections
// that go, dates far ahead, empty spam entries, stops and memory running out.
#include "check_cycle_support.h"

#include <algorithm>
#include <new>

using CheckCycleHostile = CheckCycle;

TEST_F(CheckCycleHostile, AServerThatClosesAfterItsGreetingGivesAnErrorRow) {
    CScriptedPeer server({Greeting(), Hangup()});
    host.accounts = {Account("닫힘", server.Port())};
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].senderName, "[에러]");
    EXPECT_EQ(host.mails[0].subject, "POP3 서버가 연결을 끊었습니다.");
    EXPECT_EQ(host.listedCount, 0);
}

TEST_F(CheckCycleHostile, ARefusedStatOrALostConnectionEndsTheAccountWithAnErrorRow) {
    std::vector<PeerStep> refused = LogInAndStat(0);
    refused.back() = Reply("-ERR mailbox locked\r\n");
    refused.push_back(Reply("+OK bye\r\n"));

    std::vector<PeerStep> closing = LogInAndStat(3);
    closing.push_back(Reply(Message("one@example.com", "first")));
    closing.push_back(Reply("+OK message follows\r\nFrom: two@example.com\r\n"));
    closing.push_back(Hangup());

    std::vector<PeerStep> silent = LogInAndStat(3);
    silent.push_back(Reply(Message("one@example.com", "first")));
    silent.push_back(Reply("+OK message follows\r\n"));
    silent.push_back(GoSilent());

    const struct {
        std::vector<PeerStep> script;
        const char* error;
        size_t listed;
    } cases[] = {{refused, "STAT 명령어 실행중에 에러가 발생했습니다.", 0},
                 {closing, "POP3 서버가 연결을 끊었습니다.", 1},
                 {silent, "POP3 서버가 응답하지 않습니다.", 1}};
    for (const auto& sample : cases) {
        CScriptedPeer server(sample.script);
        CRecordingHost recording;
        recording.timeoutMs = 300;
        recording.accounts = {Account("fake", server.Port())};
        Run(recording);
        ASSERT_EQ(recording.mails.size(), sample.listed + 1) << sample.error;
        EXPECT_EQ(recording.mails.back().senderName, "[에러]");
        EXPECT_EQ(recording.mails.back().subject, sample.error);
        EXPECT_EQ(recording.listedCount, static_cast<int>(sample.listed));
    }
}

TEST_F(CheckCycleHostile, AFutureDatedMailIsNewOnceAndLeavesLaterMailNew) {
    const std::string future = Message("clock@example.com", "2099", true, "Thu, 1 Jan 2099 09:00:00 +0000");
    const std::string normal = Message("friend@example.com", "later", true, "Mon, 7 Dec 2026 10:00:30 +0000");
    CRecordingHost first = CheckWith(MailboxCheck(1, {future}), checkClock);
    EXPECT_EQ(first.newMailCount, 1);
    ASSERT_EQ(first.storedDates.size(), 1u);
    EXPECT_EQ(first.storedDates[0].second, FormatDisplayDate(CCalendarTime(checkClock)));

    // A minute later: the mail of 2099 is not new again, the one sent since is.
    const std::string mark = first.storedDates[0].second;
    CRecordingHost second = CheckWith(MailboxCheck(2, {future, normal}), checkClock + 60, mark);
    EXPECT_EQ(second.newMailCount, 1);
    ASSERT_EQ(second.storedDates.size(), 1u);
    EXPECT_EQ(second.storedDates[0].second, second.mails[1].dateText);

    CRecordingHost third =
        CheckWith(MailboxCheck(2, {future, normal}), checkClock + 120, second.storedDates[0].second);
    EXPECT_EQ(third.newMailCount, 0);
    EXPECT_TRUE(third.storedDates.empty());
    EXPECT_EQ(std::count(third.events.begin(), third.events.end(), "notify 0"), 0);
}

TEST_F(CheckCycleHostile, AStoredMarkInTheFutureIsBroughtBackToTheCheck) {
    const std::string today = Message("friend@example.com", "today", true, "Mon, 7 Dec 2026 09:59:00 +0000");
    CRecordingHost recording = CheckWith(MailboxCheck(1, {today}), checkClock, "2099년 1월 1일 오전 9:00:00");
    EXPECT_EQ(recording.newMailCount, 0); // older than the check: the mark's mails were announced
    ASSERT_EQ(recording.storedDates.size(), 1u);
    EXPECT_EQ(recording.storedDates[0].second, FormatDisplayDate(CCalendarTime(checkClock)));
}

TEST_F(CheckCycleHostile, AnEmptySpamEntryNeverMatchesAMailWithoutASender) {
    const std::string noSender = Message("", "no sender");
    CScriptedPeer server(MailboxCheck(1, {noSender, noSender, noSender})); // fetched three times
    host.filter = {1, 1, {""}};
    host.accounts = {Account("fake", server.Port())};
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "no sender");
    std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "DELE 1\r\n"), 0);
}

TEST_F(CheckCycleHostile, AStoppedCheckStoresNoMarkAndAnnouncesNothing) {
    CScriptedPeer server(
        MailboxCheck(2, {Message("one@example.com", "first"), Message("two@example.com", "second")}));
    host.accounts = {Account("fake", server.Port())};
    host.onList = [&] { checkRunning = 0; }; // Stop pressed while the first mail is listed
    Run();
    EXPECT_TRUE(host.mails.empty());
    EXPECT_TRUE(host.storedDates.empty());
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "notify 0"), 0);
    EXPECT_EQ(host.newMailCount, 0);
    EXPECT_EQ(host.listedCount, 0);
}

TEST_F(CheckCycleHostile, AStopBeforeTheWorkerStartsIsKept) {
    CScriptedPeer server(LogInAndStat(0));
    host.accounts = {Account("fake", server.Port())};
    checkRunning = 0; // stopped before the worker got to run
    RunMailCheck(host, checkRunning, CCalendarTime::Now(), announced, retrieved);
    EXPECT_EQ(host.events, (std::vector<std::string>{"begin", "clear", "finish"}));
    EXPECT_EQ(checkRunning, 0);
}

TEST_F(CheckCycleHostile, RunningOutOfMemoryEndsTheCheckWithAnErrorRow) {
    std::vector<PeerStep> script = LogInAndStat(1);
    script.push_back(Reply(Message("one@example.com", "huge")));
    CScriptedPeer server(script);
    host.accounts = {Account("fake", server.Port())};
    host.onList = [] { throw std::bad_alloc(); };
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].senderName, "[에러]");
    EXPECT_EQ(host.mails[0].subject, "메모리가 부족하여 메일 체크를 마치지 못했습니다.");
    EXPECT_EQ(host.events.back(), "finish");
    EXPECT_EQ(checkRunning, 0);
}

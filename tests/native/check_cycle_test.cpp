// The mail check against a scripted server and the real one, with a host
// that records what the check reports, in order.
#include "app/check_cycle.h"
#include "mail/mail_date.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

class CRecordingHost : public CCheckHost {
  public:
    std::vector<ServerEntry> accounts;
    CheckFilter filter;
    std::vector<std::string> events;
    std::vector<MailHeader> mails; // as the list shows them
    std::vector<std::pair<int, std::string>> storedDates;
    CCalendarTime clock = CCalendarTime::Now();
    int timeoutMs = 60000;
    // Runs when a mail is listed (a stop pressed, memory running out).
    std::function<void()> onList;
    int listedCount = 0;
    int notifyResult = 0;
    int newMailCount = -1;

    void BeginCheck() override { events.push_back("begin"); }
    void ShowSocketFailure() override { events.push_back("no socket"); }
    bool GetAccount(int index, CheckAccount& account) override {
        if (index >= static_cast<int>(accounts.size()))
            return false;
        account.entry = accounts[index];
        return true;
    }
    CheckFilter GetFilter() override { return filter; }
    CCalendarTime Now() override { return clock; }
    int GetServerTimeoutMs() override { return timeoutMs; }
    void ShowStatus(const std::string& text) override { events.push_back("status " + text); }
    int GetRowCount() override { return static_cast<int>(mails.size()); }
    void ListMail(const MailHeader& mail, const std::string& accountName, int row) override {
        if (onList)
            onList();
        mails.insert(mails.begin() + row, mail);
        events.push_back("list " + accountName + " " + mail.subject);
    }
    void ListError(int serverIndex, const std::string& accountName, const std::string& errorText) override {
        MailHeader error;
        error.serverIndex = serverIndex;
        error.senderName = "[에러]";
        error.subject = errorText;
        mails.push_back(error);
        events.push_back("error " + accountName + " " + errorText);
    }
    void ClearMails() override {
        mails.clear();
        events.push_back("clear");
    }
    void AddListedCount(int count) override { listedCount += count; }
    void ResetListedCount() override { listedCount = 0; }
    void StoreLastMailDate(int index, const CheckAccount&, const std::string& date) override {
        storedDates.push_back({index, date});
        accounts[index].LastMailDate = date;
    }
    int NotifyNewMail(int index, const ServerEntry&) override {
        events.push_back("notify " + std::to_string(index));
        return notifyResult;
    }
    void ShowOutcome(int count, int) override { newMailCount = count; }
    void FinishCheck() override { events.push_back("finish"); }
};

ServerEntry Account(const std::string& name, int port, const std::string& user = "user",
                    int method = CheckAllMail) {
    ServerEntry entry;
    entry.Name = name;
    entry.Address = "127.0.0.1";
    entry.ID = user;
    entry.Password = "secret";
    entry.Port = port;
    entry.CheckAlgorithm = method;
    return entry;
}

std::string Message(const std::string& from, const std::string& subject, bool withTo = true,
                    const std::string& date = "Tue, 24 Jul 2001 10:00:00 +0900") {
    return "+OK message follows\r\nFrom: " + from + "\r\n" + (withTo ? "To: user@tidemark.test\r\n" : "") +
           "Subject: " + subject + "\r\nDate: " + date + "\r\n\r\nBody.\r\n.\r\n";
}

// 7 December 2026, 10:00:00 UTC: the clock of the dated checks below.
constexpr std::int64_t checkClock = 1796637600;

std::vector<FakeStep> LogInAndStat(int count) {
    return {Greeting(), Reply("+OK\r\n"), Reply("+OK\r\n"),
            Reply("+OK " + std::to_string(count) + " 100\r\n")};
}

// Two messages: the first is complete, every try at the second gets `reply`.
std::vector<FakeStep> SecondMessageAnsweredWith(const std::string& reply) {
    std::vector<FakeStep> script = LogInAndStat(2);
    script.push_back(Reply(Message("one@example.com", "first")));
    for (int attempt = 0; attempt < 3; ++attempt)
        script.push_back(Reply(reply));
    script.push_back(Reply("+OK bye\r\n"));
    return script;
}

class CheckCycle : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { StopSocketLibrary(); }

    // A check as the frame starts it: `checkRunning` set first.
    void Run(CRecordingHost& recording) {
        checkRunning = 1;
        RunMailCheck(recording, checkRunning, CCalendarTime::Now(), announced);
    }
    void Run() { Run(host); }

    // One account checking `script` with every mail and the mark as given.
    CRecordingHost CheckWith(const std::vector<FakeStep>& script, std::int64_t clock,
                             const std::string& mark = "") {
        CFakePop3Server server(script);
        CRecordingHost recording;
        recording.clock = CCalendarTime(clock);
        recording.accounts = {Account("fake", server.Port())};
        recording.accounts[0].LastMailDate = mark;
        Run(recording);
        return recording;
    }

    CScratchStore store;
    CRecordingHost host;
    std::atomic<int> checkRunning{0};
    CAnnouncedMails announced;
};

} // namespace

TEST_F(CheckCycle, AMessageWhoseHeaderWasReadIsListedEvenWhenIncomplete) {
    CFakePop3Server server(SecondMessageAnsweredWith(Message("two@example.com", "no recipient", false)));
    host.accounts = {Account("fake", server.Port())};
    Run();

    ASSERT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.mails[0].senderAddress, "one@example.com");
    EXPECT_EQ(host.mails[1].senderAddress, "two@example.com");
    EXPECT_EQ(host.mails[1].subject, "no recipient");
    EXPECT_EQ(host.listedCount, 2);
}

TEST_F(CheckCycle, AMessageTheServerRefusesIsSkippedNotListedTwice) {
    CFakePop3Server server(SecondMessageAnsweredWith("-ERR no such message\r\n"));
    host.accounts = {Account("fake", server.Port())};
    Run();

    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "first");
    EXPECT_EQ(host.listedCount, 1);
}

TEST_F(CheckCycle, AnUnknownMethodLogsInListsNothingAndLogsOut) {
    std::vector<FakeStep> script = LogInAndStat(3);
    script.push_back(Reply("+OK bye\r\n"));
    CFakePop3Server server(script);
    host.accounts = {Account("fake", server.Port(), "user", 7)};
    Run();

    EXPECT_TRUE(host.mails.empty());
    EXPECT_EQ(server.Commands(),
              (std::vector<std::string>{"USER user\r\n", "PASS secret\r\n", "STAT \r\n", "QUIT \r\n"}));
    EXPECT_EQ(host.newMailCount, 0);
}

TEST_F(CheckCycle, DisabledAccountsAreSkippedAndNoAccountMeansNoNewMail) {
    host.accounts = {Account("off", 1)};
    host.accounts[0].CheckYN = 0;
    Run();
    EXPECT_EQ(host.events, (std::vector<std::string>{"begin", "finish"}));
    EXPECT_EQ(host.newMailCount, 0);
    EXPECT_EQ(checkRunning, 0);
}

TEST_F(CheckCycle, ALoginFailureListsAnErrorRowAndTheCheckGoesOn) {
    CFakePop3Server refusing({Greeting(), Reply("+OK\r\n"), Reply("-ERR [AUTH] wrong\r\n")});
    std::vector<FakeStep> script = LogInAndStat(1);
    script.push_back(Reply(Message("one@example.com", "after the error")));
    script.push_back(Reply("+OK bye\r\n"));
    CFakePop3Server server(script);
    host.accounts = {Account("bad", refusing.Port()), Account("good", server.Port())};
    Run();

    ASSERT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.mails[0].senderName, "[에러]");
    EXPECT_EQ(host.mails[0].subject, "사용자 패스워드가 잘못 입력되었습니다.");
    EXPECT_EQ(host.mails[1].subject, "after the error");
    EXPECT_EQ(host.listedCount, 1);
    EXPECT_EQ(host.newMailCount, 1);
}

TEST_F(CheckCycle, SpamIsSkippedOrDeletedAndNeverNew) {
    for (int method = 0; method <= 1; ++method) {
        std::vector<FakeStep> script = LogInAndStat(2);
        script.push_back(Reply(Message("ad@spam.example", "buy")));
        if (method == 1)
            script.push_back(Reply("+OK deleted\r\n"));
        script.push_back(Reply(Message("friend@example.com", "hi")));
        script.push_back(Reply("+OK bye\r\n"));
        CFakePop3Server server(script);
        CRecordingHost recording;
        recording.filter = {1, method, {"x@example.com", "ad@spam.example"}};
        recording.accounts = {Account("fake", server.Port())};
        Run(recording);

        ASSERT_EQ(recording.mails.size(), 1u) << method;
        EXPECT_EQ(recording.mails[0].senderAddress, "friend@example.com");
        EXPECT_EQ(recording.newMailCount, 1);
        std::vector<std::string> commands = server.Commands();
        bool deleted = std::find(commands.begin(), commands.end(), "DELE 1\r\n") != commands.end();
        EXPECT_EQ(deleted, method == 1);
    }
}

TEST(SpamSender, MatchesWholeAddressesByteForByte) {
    std::vector<std::string> spam = {"ad@spam.example", "광고@example.com"};
    EXPECT_EQ(IsSpamSender(spam, "ad@spam.example"), 1);
    EXPECT_EQ(IsSpamSender(spam, "광고@example.com"), 1);
    EXPECT_EQ(IsSpamSender(spam, "AD@spam.example"), 0);
    EXPECT_EQ(IsSpamSender(spam, "ad@spam.example "), 0);
    EXPECT_EQ(IsSpamSender({}, ""), 0);
    EXPECT_EQ(IsSpamSender({""}, ""), 0);
}

// Against the real server: the new-mail mark.
class CheckCycleDovecot : public CheckCycle {
  protected:
    void SetUp() override {
        port = PeerPop3Port();
        if (port == 0)
            GTEST_SKIP() << "no POP3 server: run through ctest";
        CheckCycle::SetUp();
    }
    int port = 0;
};

TEST_F(CheckCycleDovecot, TheMarkMovesToTheNewestMailAndNeverBack) {
    host.accounts = {Account("회사", port, "checka")};
    Run();
    ASSERT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.newMailCount, 2);
    ASSERT_EQ(host.storedDates.size(), 1u);
    EXPECT_EQ(host.storedDates[0].second, host.mails[1].dateText);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "notify 0"), 1);

    // The mark equals the newest mail: listed again, but nothing is new.
    CRecordingHost again;
    again.accounts = host.accounts;
    Run(again);
    EXPECT_EQ(again.mails.size(), 2u);
    EXPECT_EQ(again.newMailCount, 0);
    EXPECT_TRUE(again.storedDates.empty());
    EXPECT_EQ(std::count(again.events.begin(), again.events.end(), "notify 0"), 0);

    // A later mark stays where it is.
    CRecordingHost later;
    later.accounts = {Account("회사", port, "checka")};
    later.accounts[0].LastMailDate =
        FormatDisplayDate(CCalendarTime(CCalendarTime::Now().GetSeconds() - 86400));
    Run(later);
    EXPECT_EQ(later.newMailCount, 0);
    EXPECT_TRUE(later.storedDates.empty());
}

// Newest first, each older mail in front of the newer ones, until one from
// before today. A mail dated tomorrow takes the mark only as far as the
// check's time; a mail without a date is listed, never new, and the walk
// goes on past it.
TEST_F(CheckCycleDovecot, TodaysMailIsWalkedNewestFirstUpToTheDailyCutOff) {
    const struct {
        const char* user;
        std::vector<std::string> subjects;
        int newMails;
        bool markIsTheCheck;
    } cases[] = {{"dated", {"this morning", "tomorrow"}, 2, true},
                 {"undated", {"this morning", "no date"}, 1, false}};
    for (const auto& sample : cases) {
        CRecordingHost recording;
        recording.accounts = {Account("오늘", port, sample.user, CheckTodayOnly)};
        Run(recording);
        std::vector<std::string> subjects;
        for (const MailHeader& mail : recording.mails)
            subjects.push_back(mail.subject);
        EXPECT_EQ(subjects, sample.subjects) << sample.user;
        EXPECT_EQ(recording.newMailCount, sample.newMails) << sample.user;
        ASSERT_EQ(recording.storedDates.size(), 1u) << sample.user;
        EXPECT_EQ(recording.storedDates[0].second,
                  sample.markIsTheCheck ? FormatDisplayDate(recording.clock) : recording.mails[0].dateText);
    }
}

// Servers and senders that misbehave.
using CheckCycleHostile = CheckCycle;

TEST_F(CheckCycleHostile, AServerThatClosesAfterItsGreetingGivesAnErrorRow) {
    FakeStep greeting = Greeting();
    greeting.then = FakeStep::Then::Close;
    CFakePop3Server server({greeting});
    host.accounts = {Account("닫힘", server.Port())};
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].senderName, "[에러]");
    EXPECT_EQ(host.mails[0].subject, "POP3 서버가 연결을 끊었습니다.");
    EXPECT_EQ(host.listedCount, 0);
}

TEST_F(CheckCycleHostile, ARefusedStatOrALostConnectionEndsTheAccountWithAnErrorRow) {
    std::vector<FakeStep> refused = LogInAndStat(0);
    refused.back() = Reply("-ERR mailbox locked\r\n");
    refused.push_back(Reply("+OK bye\r\n"));

    std::vector<FakeStep> closing = LogInAndStat(3);
    closing.push_back(Reply(Message("one@example.com", "first")));
    FakeStep half = Reply("+OK message follows\r\nFrom: two@example.com\r\n");
    half.then = FakeStep::Then::Close;
    closing.push_back(half);

    std::vector<FakeStep> silent = LogInAndStat(3);
    silent.push_back(Reply(Message("one@example.com", "first")));
    silent.push_back(Reply("+OK message follows\r\n"));
    silent.back().then = FakeStep::Then::GoSilent;

    const struct {
        std::vector<FakeStep> script;
        const char* error;
        size_t listed;
    } cases[] = {{refused, "STAT 명령어 실행중에 에러가 발생했습니다.", 0},
                 {closing, "POP3 서버가 연결을 끊었습니다.", 1},
                 {silent, "POP3 서버가 응답하지 않습니다.", 1}};
    for (const auto& sample : cases) {
        CFakePop3Server server(sample.script);
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
    auto script = [](const std::vector<std::string>& mails) {
        std::vector<FakeStep> steps = LogInAndStat(static_cast<int>(mails.size()));
        for (const std::string& mail : mails)
            steps.push_back(Reply(mail));
        steps.push_back(Reply("+OK bye\r\n"));
        return steps;
    };

    CRecordingHost first = CheckWith(script({future}), checkClock);
    EXPECT_EQ(first.newMailCount, 1);
    ASSERT_EQ(first.storedDates.size(), 1u);
    EXPECT_EQ(first.storedDates[0].second, FormatDisplayDate(CCalendarTime(checkClock)));

    // A minute later: the mail of 2099 is not new again, the one sent since is.
    const std::string mark = first.storedDates[0].second;
    CRecordingHost second = CheckWith(script({future, normal}), checkClock + 60, mark);
    EXPECT_EQ(second.newMailCount, 1);
    ASSERT_EQ(second.storedDates.size(), 1u);
    EXPECT_EQ(second.storedDates[0].second, second.mails[1].dateText);

    CRecordingHost third =
        CheckWith(script({future, normal}), checkClock + 120, second.storedDates[0].second);
    EXPECT_EQ(third.newMailCount, 0);
    EXPECT_TRUE(third.storedDates.empty());
    EXPECT_EQ(std::count(third.events.begin(), third.events.end(), "notify 0"), 0);
}

TEST_F(CheckCycleHostile, AStoredMarkInTheFutureIsBroughtBackToTheCheck) {
    std::vector<FakeStep> steps = LogInAndStat(1);
    steps.push_back(Reply(Message("friend@example.com", "today", true, "Mon, 7 Dec 2026 09:59:00 +0000")));
    steps.push_back(Reply("+OK bye\r\n"));
    CRecordingHost recording = CheckWith(steps, checkClock, "2099년 1월 1일 오전 9:00:00");
    EXPECT_EQ(recording.newMailCount, 0); // older than the check: the mark's mails were announced
    ASSERT_EQ(recording.storedDates.size(), 1u);
    EXPECT_EQ(recording.storedDates[0].second, FormatDisplayDate(CCalendarTime(checkClock)));
}

TEST_F(CheckCycleHostile, AnEmptySpamEntryNeverMatchesAMailWithoutASender) {
    std::vector<FakeStep> script = LogInAndStat(1);
    for (int attempt = 0; attempt < 3; ++attempt)
        script.push_back(Reply(Message("", "no sender")));
    script.push_back(Reply("+OK bye\r\n"));
    CFakePop3Server server(script);
    host.filter = {1, 1, {""}};
    host.accounts = {Account("fake", server.Port())};
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "no sender");
    std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "DELE 1\r\n"), 0);
}

TEST_F(CheckCycleHostile, AStoppedCheckStoresNoMarkAndAnnouncesNothing) {
    std::vector<FakeStep> script = LogInAndStat(2);
    script.push_back(Reply(Message("one@example.com", "first")));
    script.push_back(Reply(Message("two@example.com", "second")));
    script.push_back(Reply("+OK bye\r\n"));
    CFakePop3Server server(script);
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
    CFakePop3Server server(LogInAndStat(0));
    host.accounts = {Account("fake", server.Port())};
    checkRunning = 0; // stopped before the worker got to run
    RunMailCheck(host, checkRunning, CCalendarTime::Now(), announced);
    EXPECT_EQ(host.events, (std::vector<std::string>{"begin", "clear", "finish"}));
    EXPECT_EQ(checkRunning, 0);
}

TEST_F(CheckCycleHostile, RunningOutOfMemoryEndsTheCheckWithAnErrorRow) {
    std::vector<FakeStep> script = LogInAndStat(1);
    script.push_back(Reply(Message("one@example.com", "huge")));
    CFakePop3Server server(script);
    host.accounts = {Account("fake", server.Port())};
    host.onList = [] { throw std::bad_alloc(); };
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].senderName, "[에러]");
    EXPECT_EQ(host.mails[0].subject, "메모리가 부족하여 메일 체크를 마치지 못했습니다.");
    EXPECT_EQ(host.events.back(), "finish");
    EXPECT_EQ(checkRunning, 0);
}

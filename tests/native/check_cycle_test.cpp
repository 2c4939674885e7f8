// The mail check against a scripted server and the real one.
#include "check_cycle_support.h"

#include <algorithm>

namespace {

// Two messages: the first is complete, every try at the second gets `reply`.
std::vector<PeerStep> SecondMessageAnsweredWith(const std::string& reply) {
    return MailboxCheck(2, {Message("one@example.com", "first"), reply, reply, reply});
}

} // namespace

TEST_F(CheckCycle, AMessageWhoseHeaderWasReadIsListedEvenWhenIncomplete) {
    CScriptedPeer server(SecondMessageAnsweredWith(Message("two@example.com", "no recipient", false)));
    host.accounts = {Account("fake", server.Port())};
    Run();

    ASSERT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.mails[0].senderAddress, "one@example.com");
    EXPECT_EQ(host.mails[1].senderAddress, "two@example.com");
    EXPECT_EQ(host.mails[1].subject, "no recipient");
    EXPECT_EQ(host.listedCount, 2);
}

TEST_F(CheckCycle, AMessageTheServerRefusesIsSkippedNotListedTwice) {
    CScriptedPeer server(SecondMessageAnsweredWith("-ERR no such message\r\n"));
    host.accounts = {Account("fake", server.Port())};
    Run();

    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "first");
    EXPECT_EQ(host.listedCount, 1);
}

TEST_F(CheckCycle, AnUnknownMethodLogsInListsNothingAndLogsOut) {
    CScriptedPeer server(
        {Greeting(), Reply("+OK\r\n"), Reply("+OK\r\n"), Reply("+OK 3 100\r\n"), Reply("+OK bye\r\n")});
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

TEST_F(CheckCycle, AChangedAccountIsCheckedAlone) {
    CScriptedPeer server(MailboxCheck(0, {}));
    host.accounts = {Account("first", 1), Account("changed", server.Port()), Account("last", 1)};
    checkRunning = 1;
    RunMailCheck(host, checkRunning, CCalendarTime::Now(), announced, retrieved, 1);
    EXPECT_EQ(host.events, (std::vector<std::string>{"begin", "status changed 체크 중...", "finish"}));
}

TEST_F(CheckCycle, ALoginFailureListsAnErrorRowAndTheCheckGoesOn) {
    CScriptedPeer refusing({Greeting(), Reply("+OK\r\n"), Reply("-ERR [AUTH] wrong\r\n")});
    CScriptedPeer server(MailboxCheck(1, {Message("one@example.com", "after the error")}));
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
        std::vector<PeerStep> script = LogInAndStat(2);
        script.push_back(Reply(Message("ad@spam.example", "buy")));
        if (method == 1)
            script.push_back(Reply("+OK deleted\r\n"));
        script.push_back(Reply(Message("friend@example.com", "hi")));
        script.push_back(Reply("+OK bye\r\n"));
        CScriptedPeer server(script);
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
    EXPECT_EQ(host.news.count, 2); // naming the newest
    EXPECT_EQ(host.news.subject, host.mails[1].subject);

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

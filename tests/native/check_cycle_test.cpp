// The mail check against a scripted server and the real one, with a host
// that records what the check reports, in order.
#include "app/check_cycle.h"
#include "mail/mail_date.h"

#include "scripted_peer.h"
#include "test_support.h"

#include <gtest/gtest.h>

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
    int listedCount = 0;
    int notifyResult = 0;
    int newMailCount = -1;

    void BeginCheck() override { events.push_back("begin"); }
    bool GetAccount(int index, CheckAccount& account) override {
        if (index >= static_cast<int>(accounts.size()))
            return false;
        account.entry = accounts[index];
        return true;
    }
    CheckFilter GetFilter() override { return filter; }
    void ShowStatus(const std::string& text) override { events.push_back("status " + text); }
    int GetRowCount() override { return static_cast<int>(mails.size()); }
    void ListMail(const MailHeader& mail, const std::string& accountName, int row) override {
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

std::string Message(const std::string& from, const std::string& subject, bool withTo = true) {
    return "+OK message follows\r\nFrom: " + from + "\r\n" + (withTo ? "To: user@tidemark.test\r\n" : "") +
           "Subject: " + subject + "\r\nDate: Tue, 24 Jul 2001 10:00:00 +0900\r\n\r\nBody.\r\n.\r\n";
}

std::vector<PeerStep> LogInAndStat(int count) {
    return {Greeting(), Reply("+OK\r\n"), Reply("+OK\r\n"),
            Reply("+OK " + std::to_string(count) + " 100\r\n")};
}

// Two messages: the first is complete, every try at the second gets `reply`.
std::vector<PeerStep> SecondMessageAnsweredWith(const std::string& reply) {
    std::vector<PeerStep> script = LogInAndStat(2);
    script.push_back(Reply(Message("one@example.com", "first")));
    for (int attempt = 0; attempt < 3; ++attempt)
        script.push_back(Reply(reply));
    script.push_back(Reply("+OK bye\r\n"));
    return script;
}

class CheckCycle : public ::testing::Test {
  protected:
    void Run() { RunMailCheck(host, checkRunning, CCalendarTime::Now()); }

    CScratchStore store;
    CRecordingHost host;
    std::atomic<int> checkRunning{0};
};

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
    std::vector<PeerStep> script = LogInAndStat(3);
    script.push_back(Reply("+OK bye\r\n"));
    CScriptedPeer server(script);
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
    CScriptedPeer refusing({Greeting(), Reply("+OK\r\n"), Reply("-ERR [AUTH] wrong\r\n")});
    std::vector<PeerStep> script = LogInAndStat(1);
    script.push_back(Reply(Message("one@example.com", "after the error")));
    script.push_back(Reply("+OK bye\r\n"));
    CScriptedPeer server(script);
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
        RunMailCheck(recording, checkRunning, CCalendarTime::Now());

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
    RunMailCheck(again, checkRunning, CCalendarTime::Now());
    EXPECT_EQ(again.mails.size(), 2u);
    EXPECT_EQ(again.newMailCount, 0);
    EXPECT_TRUE(again.storedDates.empty());
    EXPECT_EQ(std::count(again.events.begin(), again.events.end(), "notify 0"), 0);

    // A later mark stays where it is.
    CRecordingHost later;
    later.accounts = {Account("회사", port, "checka")};
    later.accounts[0].LastMailDate = "2030년 1월 1일 오전 9:00:00";
    RunMailCheck(later, checkRunning, CCalendarTime::Now());
    EXPECT_EQ(later.newMailCount, 0);
    EXPECT_TRUE(later.storedDates.empty());
}

TEST_F(CheckCycleDovecot, OlderMailsGoInFrontOfNewerOnesWithTheDailyCutOff) {
    host.accounts = {Account("오늘", port, "dated", CheckTodayOnly)};
    Run();
    ASSERT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.mails[0].subject, "this morning");
    EXPECT_EQ(host.mails[1].subject, "tomorrow");
    // Both are new; the mark is the newest, not the last one read.
    ASSERT_EQ(host.storedDates.size(), 1u);
    EXPECT_EQ(host.storedDates[0].second, host.mails[1].dateText);
}

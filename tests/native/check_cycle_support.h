// What the tests of the mail check share: a host that records what the
// check reports, in order, and the scripted conversations it is run against.
#pragma once

#include "core/check_cycle.h"
#include "mail/mail_date.h"

#include "scripted_peer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CRecordingHost : public CCheckHost {
  public:
    std::vector<ServerEntry> accounts;
    CheckFilter filter;
    std::vector<std::string> events;
    std::vector<MailHeader> mails; // as the list shows them
    NewMailNews news;              // of the last account announced
    std::vector<std::pair<int, std::string>> storedDates;
    std::vector<std::pair<int, MailboxMark>> storedMarks;
    CCalendarTime clock = CCalendarTime::Now();
    int timeoutMs = 60000;
    // Runs when a mail is listed (a stop pressed, memory running out).
    std::function<void()> onList;
    // Makes the accounts' mailboxes instead of the servers' own.
    std::function<std::unique_ptr<CAccountMailbox>(const ServerEntry&)> mailboxes;
    int listedCount = 0;
    int notifyResult = 0;
    int newMailCount = -1;

    bool GetAccount(int index, CheckAccount& account) override {
        if (index >= static_cast<int>(accounts.size()))
            return false;
        account.entry = accounts[index];
        return true;
    }
    CheckFilter GetFilter() override { return filter; }
    CCalendarTime Now() override { return clock; }
    int GetServerTimeoutMs() override { return timeoutMs; }
    std::unique_ptr<CAccountMailbox> MakeMailbox(const ServerEntry& entry,
                                                 const MailboxContext& context) override {
        return mailboxes ? mailboxes(entry) : CCheckHost::MakeMailbox(entry, context);
    }
    void StoreLastMailDate(int index, const CheckAccount&, const std::string& date) override {
        storedDates.push_back({index, date});
        accounts[index].LastMailDate = date;
    }
    void StoreMailboxMark(int index, const CheckAccount&, const MailboxMark& mark) override {
        storedMarks.push_back({index, mark});
        accounts[index].ImapUidValidity = mark.uidValidity;
        accounts[index].ImapLastUid = mark.lastUid;
    }
    int NotifyNewMail(int index, const ServerEntry&, const NewMailNews& told) override {
        events.push_back("notify " + std::to_string(index));
        news = told;
        return notifyResult;
    }
    void OnCheckBegins() override { events.push_back("begin"); }
    void OnNoSocket() override { events.push_back("no socket"); }
    void OnAccountBegins(int, const std::string& name) override {
        events.push_back("status " + name + " 체크 중...");
    }
    void OnMailFound(const MailHeader& mail, const std::string& accountName) override {
        if (onList)
            onList();
        mails.insert(mails.begin() + RowForFoundMail(mails, mail), mail);
        events.push_back("list " + accountName + " " + mail.subject);
    }
    void OnAccountFailed(int serverIndex, const std::string& accountName,
                         const std::string& reason) override {
        MailHeader error = ErrorRow(serverIndex);
        error.subject = reason;
        mails.push_back(error);
        events.push_back("error " + accountName + " " + reason);
    }
    void OnAccountFinished(int, int count) override { listedCount += count; }
    void OnCheckFinished(const CheckOutcome& outcome) override {
        if (outcome.stopped) {
            mails.clear();
            listedCount = 0;
            events.push_back("clear");
        }
        newMailCount = outcome.newMailCount;
        events.push_back("finish");
    }
};

inline ServerEntry Account(const std::string& name, int port, const std::string& user = "user",
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

inline std::string Message(const std::string& from, const std::string& subject, bool withTo = true,
                           const std::string& date = "Tue, 24 Jul 2001 10:00:00 +0900") {
    return "+OK message follows\r\nFrom: " + from + "\r\n" + (withTo ? "To: user@tidemark.test\r\n" : "") +
           "Subject: " + subject + "\r\nDate: " + date + "\r\n\r\nBody.\r\n.\r\n";
}

// 7 December 2026, 10:00:00 UTC: the clock of the checks of dated mail.
inline constexpr std::int64_t checkClock = 1796637600;

// Login and STAT of a server that lists no unique ids: with messages,
// "UIDL" is refused.
inline std::vector<PeerStep> LogInAndStat(int count) {
    std::vector<PeerStep> steps = {Greeting(), Reply("+OK\r\n"), Reply("+OK\r\n"),
                                   Reply("+OK " + std::to_string(count) + " 100\r\n")};
    if (count > 0)
        steps.push_back(Reply("-ERR unknown command\r\n"));
    return steps;
}

// A check of a mailbox of `count` messages: login and STAT, `replies` in
// turn (to RETR, and to DELE where the check deletes), then QUIT.
inline std::vector<PeerStep> MailboxCheck(int count, const std::vector<std::string>& replies) {
    std::vector<PeerStep> steps = LogInAndStat(count);
    for (const std::string& reply : replies)
        steps.push_back(Reply(reply));
    steps.push_back(Reply("+OK bye\r\n"));
    return steps;
}

class CheckCycle : public ::testing::Test {
  protected:
    // A check as the frame starts it: `checkRunning` set first.
    void Run(CRecordingHost& recording) {
        checkRunning = 1;
        RunMailCheck(recording, checkRunning, CCalendarTime::Now(), announced, retrieved);
    }
    void Run() { Run(host); }

    // One account checking `script` with every mail and the mark as given.
    CRecordingHost CheckWith(const std::vector<PeerStep>& script, std::int64_t clock,
                             const std::string& mark = "") {
        CScriptedPeer server(script);
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
    CRetrievedMails retrieved;
};

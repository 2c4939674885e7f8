// One mail check over every enabled account: logs in, walks the messages
// each account's reception method admits, skips or deletes spam, lists the
// mails, decides which are new since the account's LastMailDate and has
// them announced. Runs on a worker thread and talks only to the POP3
// servers and to its host, which carries every change of windows and
// shared state over to the user-interface thread in the order given here.
#pragma once

#include "app/settings.h"
#include "framework/calendar_time.h"
#include "mail/mail_header.h"

#include <atomic>
#include <string>
#include <vector>

// An account as the check read it, with the version of the account list it
// came from, so a result is never written into an account that replaced it.
struct CheckAccount {
    ServerEntry entry;
    unsigned listVersion = 0;
};

// The settings a check reads besides the accounts.
struct CheckFilter {
    int SpamMailYN = 0;
    int SpamMailMethod = 0;
    std::vector<std::string> spamAddresses;
};

class CCheckHost {
  public:
    virtual ~CCheckHost() = default;

    // Start of the check: button, empty list, tray animation, last-check time.
    virtual void BeginCheck() = 0;
    // A copy of account `index`; false past the end of the list.
    virtual bool GetAccount(int index, CheckAccount& account) = 0;
    virtual CheckFilter GetFilter() = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // Number of rows in the mailbox list.
    virtual int GetRowCount() = 0;
    // Inserts the mail into the arrived mails and the list at `row`.
    virtual void ListMail(const MailHeader& mail, const std::string& accountName, int row) = 0;
    // Appends an error row for an account that could not be checked.
    virtual void ListError(int serverIndex, const std::string& accountName, const std::string& errorText) = 0;
    // Empties the list and the arrived mails (a stopped check).
    virtual void ClearMails() = 0;
    // The count of listed mails, error rows not counted.
    virtual void AddListedCount(int count) = 0;
    virtual void ResetListedCount() = 0;
    // Stores the account's new-mail mark in memory and in the registry,
    // unless the account list changed since the account was read.
    virtual void StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) = 0;
    // Runs the account's notification actions; 1 when a mail client was started.
    virtual int NotifyNewMail(int index, const ServerEntry& entry) = 0;
    // End of the check: listed count, status line, final tray state.
    virtual void ShowOutcome(int newMailCount, int notifyResult) = 0;
    // After `checkRunning` is cleared: check button and timer.
    virtual void FinishCheck() = 0;
};

// 1 when `address` is one of the spam addresses, byte for byte.
int IsSpamSender(const std::vector<std::string>& spamAddresses, const std::string& address);

// Runs a whole check. `checkRunning` is cleared from outside to ask it to
// stop; it is honoured after the next message transfer or at the end of the
// account. Clears `checkRunning` before FinishCheck.
void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime);

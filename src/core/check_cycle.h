// One mail check over every enabled account: logs in, walks the messages
// each account's reception method admits, skips or deletes spam, lists the
// mails, decides which are new since the account's LastMailDate and has
// them announced. Runs on a worker thread and talks only to the POP3
// servers and to its host, which carries every change of windows and
// shared state over to the user-interface thread in the order given here.
#pragma once

#include "core/mailbox_model.h"
#include "core/notification.h"
#include "core/settings.h"
#include "base/calendar_time.h"
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
    bool SpamMailYN = false;
    int SpamMailMethod = 0;
    std::vector<std::string> spamAddresses;
};

class CCheckHost {
  public:
    virtual ~CCheckHost() = default;

    // Start of the check: button, empty list, tray animation, last-check time.
    virtual void BeginCheck() = 0;
    // The time against which mail dates are judged; the system's clock.
    virtual CCalendarTime Now() { return CCalendarTime::Now(); }
    // The longest wait for a server's answer; the session's default.
    virtual int GetServerTimeoutMs();
    // Tells the user that no socket could be created for an account.
    virtual void ShowSocketFailure() = 0;
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
    // Runs the account's notification actions for `news`; 1 when a mail
    // client was started.
    virtual int NotifyNewMail(int index, const ServerEntry& entry, const NewMailNews& news) = 0;
    // End of the check: listed count, status line, final tray state.
    virtual void ShowOutcome(int newMailCount, int notifyResult) = 0;
    // After `checkRunning` is cleared: check button and timer.
    virtual void FinishCheck() = 0;
};

// 1 when `address` is one of the spam addresses, byte for byte; an empty
// address never is.
int IsSpamSender(const std::vector<std::string>& spamAddresses, const std::string& address);

// How far ahead of the check's clock a mail date may lie and still be taken
// as it is (a sender's clock running a little fast).
constexpr int futureDateToleranceSeconds = 5 * 60;

// Runs a whole check; `checkRunning` is set by whoever starts it. Clearing
// it asks the check to stop: blocked waits end within about a second, and a
// stopped check lists nothing, stores no mark and announces nothing more.
// A lost connection or a refused STAT ends that account with an error row;
// an exception (memory running out) ends the check with one. Clears
// `checkRunning` before FinishCheck.
//
// A mail is new when its date is later than the account's mark and it is
// not in `announced`. The mark never moves past the check's clock plus the
// tolerance: a mail dated beyond that counts as new once, goes into
// `announced`, and moves the mark only to the check's time; a stored mark
// beyond it is brought back (and stored) the same way. A mail whose date
// cannot be read is listed, is never new and does not end the walk.
//
// Where the server lists unique ids (UIDL), a message that a check of this
// run retrieved already (same mailbox, same id, its store file still there)
// is not fetched again: `retrieved` gives its fields, and what is listed,
// counted and stored stays as a fetch would have made it. Without UIDL
// every message is fetched.
void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime,
                  CAnnouncedMails& announced, CRetrievedMails& retrieved);

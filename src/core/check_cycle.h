// One mail check over every enabled account: opens its mailbox, goes
// through the mails its reception method admits, skips or deletes spam,
// reports the mails, decides which are new since the account's LastMailDate
// and has them announced. Runs on a worker thread and talks only to the
// account mailboxes and to its host, which carries every report over to the
// user-interface thread in the order given here.
#pragma once

#include "base/calendar_time.h"
#include "core/account_mailbox.h"
#include "core/mailbox_model.h"
#include "core/notification.h"
#include "core/settings.h"

#include <atomic>
#include <memory>
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

// How a check ended.
struct CheckOutcome {
    int newMailCount = 0;
    int notifyResult = 0; // 1 when a notification started a mail client
    bool stopped = false; // the user stopped it: nothing it listed stays
};

// What a check asks of the program around it, and what it tells it. The
// check knows accounts and mails only: where a mail is shown is the host's.
class CCheckHost {
  public:
    virtual ~CCheckHost() = default;

    // The time against which mail dates are judged; the system's clock.
    virtual CCalendarTime Now() { return CCalendarTime::Now(); }
    // The longest wait for a server's answer; 0: the protocol's default.
    virtual int GetServerTimeoutMs() { return 0; }
    // The mailbox of `entry`, in the protocol of its server.
    virtual std::unique_ptr<CAccountMailbox> MakeMailbox(const ServerEntry& entry,
                                                         const MailboxContext& context) {
        return MakeAccountMailbox(entry, context);
    }
    // A copy of account `index`; false past the end of the list.
    virtual bool GetAccount(int index, CheckAccount& account) = 0;
    virtual CheckFilter GetFilter() = 0;
    // Stores the account's new-mail mark in memory and in the registry,
    // unless the account list changed since the account was read.
    virtual void StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) = 0;
    // The same for the mark of a mailbox that tells new mail itself.
    virtual void StoreMailboxMark(int index, const CheckAccount& account, const MailboxMark& mark) = 0;
    // Runs the account's notification actions for `news`; 1 when a mail
    // client was started.
    virtual int NotifyNewMail(int index, const ServerEntry& entry, const NewMailNews& news) = 0;

    // The check has begun: no mail is listed yet.
    virtual void OnCheckBegins() = 0;
    // No connection could be tried: the computer gave no socket.
    virtual void OnNoSocket() = 0;
    // Account `index` is being read.
    virtual void OnAccountBegins(int index, const std::string& accountName) = 0;
    // A mail of the account being read; its serverOrder places it among the
    // account's other mails.
    virtual void OnMailFound(const MailHeader& mail, const std::string& accountName) = 0;
    // The account could not be read (or not to its end), for `reason`.
    virtual void OnAccountFailed(int index, const std::string& accountName, const std::string& reason) = 0;
    // The account is done with, `listedCount` mails listed for it.
    virtual void OnAccountFinished(int index, int listedCount) = 0;
    // The check has ended; `checkRunning` is already cleared.
    virtual void OnCheckFinished(const CheckOutcome& outcome) = 0;
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
// A mailbox that cannot be opened, or is lost on the way, fails that
// account; an exception (memory running out) fails the account being read
// and ends the check. Clears `checkRunning` before OnCheckFinished.
//
// A mail is new when its date is later than the account's mark and it is
// not in `announced`. The mark never moves past the check's clock plus the
// tolerance: a mail dated beyond that counts as new once, goes into
// `announced`, and moves the mark only to the check's time; a stored mark
// beyond it is brought back (and stored) the same way. A mail whose date
// cannot be read is listed, is never new and does not end the walk.
//
// A mailbox that tells new mail itself (IMAP) marks each listed mail new or
// known instead, and hands back the mark to store after a complete listing.
//
// `retrieved` keeps what the mailboxes fetched, for the checks after this one.
void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime,
                  CAnnouncedMails& announced, CRetrievedMails& retrieved);

// The mailbox of one account, whatever protocol its server speaks: what the
// check and the delete command ask of a server. One object serves one
// conversation: Open, then any of the other operations, then Close. Every
// call blocks until the server has answered (or a stop ends the wait), so
// callers run it on a worker thread.
//
// A protocol adds a class of its own beside CPop3Mailbox and one case to
// MakeAccountMailbox; nothing above this interface changes.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"
#include "mail/connection_security.h"
#include "mail/mail_header.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Who tells whether a listed mail is new.
enum class MailNovelty {
    ByDate, // the check, by the mail's date against the account's LastMailDate
    New,    // the mailbox: it lies beyond the account's mark
    Known,  // the mailbox: announced before, or older than the mark
};

// The mark of a mailbox that tells new mail itself: the highest UID seen
// while the mailbox's UIDVALIDITY was `uidValidity`.
struct MailboxMark {
    std::uint32_t uidValidity = 0;
    std::uint32_t lastUid = 0;
};

// One mail as the server lists it now.
struct MailboxMail {
    HeaderFields fields;
    // The server's own lasting name of the mail ("" when it offers none).
    std::string uniqueId;
    // Where the mail stands in the mailbox in this conversation: later mails
    // have higher numbers (POP3: the message number).
    int serverOrder = 0;
    MailNovelty novelty = MailNovelty::ByDate;
};

// Why an operation failed, in the user's words, whether the server's
// certificate was the reason (the user may choose to trust it), and whether
// the network was.
struct MailboxFailure {
    std::string reason;
    bool certificateRefused = false;
    // No server answered: its name did not resolve or no connection came about.
    bool serverUnreached = false;
};

// Which mails a listing goes through.
struct MailListing {
    enum class Range {
        Since, // newest first, ending at the first mail dated before `since`
        All,   // every mail, oldest first
    };
    Range range = Range::All;
    CCalendarTime since;
};

enum class MailSearch {
    Found,     // exactly one mail is the listed one
    Missing,   // no mail on the server is the listed one
    Ambiguous, // without unique ids, several mails look alike
    Failed,    // the conversation failed
};

enum class ListingEnd {
    Complete, // every mail of the range was offered
    Stopped,  // the stop flag ended it
    Failed,   // the conversation cannot go on (GetFailure tells why)
};

class CAccountMailbox {
  public:
    virtual ~CAccountMailbox() = default;

    // False when no connection to a server can even be tried (no socket).
    virtual bool CanConnect() const = 0;
    // Connects, logs in and learns the mailbox's size. False with GetFailure.
    virtual bool Open() = 0;
    // Offers every mail of `listing` to `take` in the listing's order. A
    // mail whose header could not be read whole still comes when it is the
    // mail's own; one that could not be read at all is passed over. `take`
    // may delete the mail it is given.
    virtual ListingEnd ListMails(const MailListing& listing,
                                 const std::function<void(const MailboxMail&)>& take) = 0;
    // The mail stored whole in the .eml store: storeFile names it.
    virtual bool FetchWhole(MailboxMail& mail) = 0;
    // Finds the mail that the list shows as `listed`: by its unique id where
    // the server offers them, else by sender address, date and subject.
    virtual MailSearch FindMail(const MailHeader& listed, MailboxMail& found) = 0;
    // Deletes `mail` of this conversation; it is gone only once Close succeeds.
    virtual bool DeleteMail(const MailboxMail& mail) = 0;
    // After a DeleteMail: the server only marked the mail, which goes when
    // some program cleans up the mailbox.
    virtual bool IsLeftMarked() const { return false; }
    // After a complete listing, the mark to store when it moved; false for
    // mail told new by its date.
    virtual bool GetNewMark(MailboxMark&) const { return false; }
    // Ends the conversation: true when the server accepted the end, which
    // makes its deletions take effect.
    virtual bool Close() = 0;
    // Still connected: false after Close and after a failure that ended the
    // conversation.
    virtual bool IsOpen() const = 0;
    virtual MailboxFailure GetFailure() const = 0;
};

// What a mailbox shares with its caller beyond the account.
struct MailboxContext {
    // Clearing it ends every wait within about a second. Null: never stopped.
    const std::atomic<int>* running = nullptr;
    // The longest silence of the server; 0: the protocol's default.
    int timeoutMs = 0;
    // The mails the checks of this run fetched already; null: none kept.
    CRetrievedMails* retrieved = nullptr;
};

// Sets up a protocol session for `account` as the context asks.
template <typename Session>
void PrepareSession(Session& session, const ServerEntry& account, const MailboxContext& context) {
    session.SetStopFlag(context.running);
    if (context.timeoutMs > 0)
        session.SetTimeout(context.timeoutMs);
    session.SetSecurity(SecurityOf(account.Security), account.TrustedCertificate);
}

// The mailbox of `account` in the protocol its server speaks.
std::unique_ptr<CAccountMailbox> MakeAccountMailbox(const ServerEntry& account,
                                                    const MailboxContext& context);

// Opens `mailbox` and finds the mail the list shows as `listed`. Only with
// Found does the conversation stay open for the caller to act and Close;
// Missing and Ambiguous end it, Failed leaves it ended or broken.
MailSearch OpenAndFindMail(CAccountMailbox& mailbox, const MailHeader& listed, MailboxMail& found);

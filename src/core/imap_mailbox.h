// An account's INBOX on an IMAP server. A listing is the mailbox's unseen
// mails, never one read elsewhere, their headers read with BODY.PEEK so that
// checking marks nothing read; the reception method goes by arrival time
// (INTERNALDATE). The mailbox tells itself which mails are new: those above
// the account's mark, the highest UID seen with the same UIDVALIDITY. A
// mailbox whose UIDVALIDITY changed announces none of the mails it holds.
// INBOX is opened read-only (EXAMINE) and selected for writing only when a
// mail is deleted. A mail's unique id is "UIDVALIDITY.UID", so a mailbox
// recreated since the listing never has another mail deleted in its place.
#pragma once

#include "core/account_mailbox.h"
#include "mail/imap_session.h"

#include <cstdint>
#include <string>

class CImapMailbox : public CAccountMailbox {
  public:
    CImapMailbox(const ServerEntry& account, const MailboxContext& context);

    bool CanConnect() const override { return session.HasSocket(); }
    // LOGIN and EXAMINE INBOX; a refused EXAMINE ends the conversation with LOGOUT.
    bool Open() override;
    ListingEnd ListMails(const MailListing& listing,
                         const std::function<void(const MailboxMail&)>& take) override;
    bool FetchWhole(MailboxMail& mail) override;
    MailSearch FindMail(const MailHeader& listed, MailboxMail& found) override;
    // Marks the mail \Deleted and expunges it alone where the server can
    // (UIDPLUS); otherwise it is left marked.
    bool DeleteMail(const MailboxMail& mail) override;
    bool IsLeftMarked() const override { return leftMarked; }
    bool GetNewMark(MailboxMark& mark) const override;
    // LOGOUT.
    bool Close() override;
    bool IsOpen() const override { return session.IsConnected(); }
    MailboxFailure GetFailure() const override { return failure; }

  private:
    // Keeps the session's reason for the failure just met; false.
    bool Fail();
    // A mail of another UIDVALIDITY: gone from this mailbox; false.
    bool FailGone();
    bool IsStopped() const { return context.running && !*context.running; }
    // The UID that `uniqueId` names in this mailbox; 0 when it names a mail of
    // another UIDVALIDITY or nothing.
    std::uint32_t UidOf(const std::string& uniqueId) const;
    MailboxMail Listed(const ImapMailSummary& summary, int order) const;
    // Sets the mark after a listing of the unseen mails `uids`.
    void MoveMark(const std::vector<std::uint32_t>& uids);

    const ServerEntry account;
    const MailboxContext context;
    CImapSession session;
    bool writable = false;
    bool leftMarked = false;
    bool listed = false;
    MailboxMark mark;
    MailboxFailure failure;
};

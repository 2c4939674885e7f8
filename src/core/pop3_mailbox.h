// An account's mailbox on a POP3 server. A listing fetches each mail whole
// (RETR), newest first for a range since a time, oldest first for all mail.
// Where the server lists unique ids (UIDL), a mail that a check of this run
// fetched already (same mailbox, same id, its store file still there) is
// not fetched again: the remembered fields stand in for the fetch. Deletion
// finds a mail by its unique id; without UIDL, by its header, and then only
// when no other mail has the same one.
#pragma once

#include "core/account_mailbox.h"
#include "mail/pop3_session.h"

#include <string>
#include <vector>

class CPop3Mailbox : public CAccountMailbox {
  public:
    CPop3Mailbox(const ServerEntry& account, const MailboxContext& context);

    bool CanConnect() const override { return session.HasSocket(); }
    // USER, PASS and STAT; a refused STAT ends the conversation with QUIT.
    bool Open() override;
    ListingEnd ListMails(const MailListing& listing,
                         const std::function<void(const MailboxMail&)>& take) override;
    bool FetchWhole(MailboxMail& mail) override;
    MailSearch FindMail(const MailHeader& listed, MailboxMail& found) override;
    bool DeleteMail(const MailboxMail& mail) override;
    bool Close() override;
    bool IsOpen() const override { return session.IsConnected(); }
    MailboxFailure GetFailure() const override { return failure; }

  private:
    enum class Fetched { Mail, Nothing, Ended };

    // Keeps the session's reason for the failure just met.
    void Fail();
    bool IsStopped() const { return context.running && !*context.running; }
    // The unique ids of the messages, when the server lists them.
    void ListIds();
    // A message an earlier check fetched whose fields still stand, or null.
    const CRetrievedMails::Mail* KnownMail(int number) const;
    Fetched Fetch(int number);
    // Message `number` as the session's fields describe it.
    MailboxMail Current(int number) const;
    // Without unique ids: the one message whose header is the listed one.
    MailSearch FindByHeader(const MailHeader& listed, MailboxMail& found);

    const ServerEntry account;
    const MailboxContext context;
    const std::string mailboxKey;
    CPop3Session session;
    std::vector<std::string> ids; // ids[n - 1] of message n; empty without UIDL
    MailboxFailure failure;
};

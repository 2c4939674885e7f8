#include "core/mail_deletion.h"

#include "core/account_mailbox.h"
#include "core/user_texts.h"

const char* DeletionFailureText(DeletionResult result) {
    switch (result) {
    case DeletionResult::MarkedOnly:
        return deleteMarkedOnlyText;
    case DeletionResult::Ambiguous:
        return deleteAmbiguousText;
    default:
        return deleteFailedText;
    }
}

DeletionResult DeleteMailOnServer(const ServerEntry& account, const MailHeader& mail,
                                  const std::function<bool()>& confirm, const std::atomic<int>* running) {
    MailboxContext context;
    context.running = running;
    const std::unique_ptr<CAccountMailbox> mailbox = MakeAccountMailbox(account, context);
    // Without a count nothing is known of the mailbox: the row stays.
    if (!mailbox->Open())
        return DeletionResult::Failed;
    MailboxMail found;
    switch (mailbox->FindMail(mail, found)) {
    case MailSearch::Failed:
        return DeletionResult::Failed;
    case MailSearch::Missing:
        mailbox->Close();
        return DeletionResult::NotOnServer;
    case MailSearch::Ambiguous:
        mailbox->Close();
        return DeletionResult::Ambiguous;
    case MailSearch::Found:
        break;
    }
    if (!confirm()) {
        mailbox->Close();
        return DeletionResult::Declined;
    }
    // The server removes the mail only when the end of the conversation is accepted.
    if (!mailbox->DeleteMail(found) || !mailbox->Close())
        return DeletionResult::Failed;
    return mailbox->IsLeftMarked() ? DeletionResult::MarkedOnly : DeletionResult::Deleted;
}

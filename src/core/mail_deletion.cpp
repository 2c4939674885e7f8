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
    MailboxMail found;
    switch (OpenAndFindMail(*mailbox, mail, found)) {
    case MailSearch::Failed:
        return DeletionResult::Failed; // the row stays
    case MailSearch::Missing:
        return DeletionResult::NotOnServer;
    case MailSearch::Ambiguous:
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

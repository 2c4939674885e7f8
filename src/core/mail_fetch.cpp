#include "core/mail_fetch.h"

#include "core/account_mailbox.h"
#include "core/user_texts.h"

MailFetch FetchMailWhole(const ServerEntry& account, const MailHeader& mail,
                         const std::atomic<int>* running) {
    MailboxContext context;
    context.running = running;
    const std::unique_ptr<CAccountMailbox> mailbox = MakeAccountMailbox(account, context);
    MailFetch fetch;
    MailboxMail found;
    switch (OpenAndFindMail(*mailbox, mail, found)) {
    case MailSearch::Found:
        break;
    case MailSearch::Failed:
        fetch.failure = FetchFailedText(mailbox->GetFailure().reason);
        return fetch;
    default:
        fetch.failure = fetchGoneText;
        return fetch;
    }
    fetch.fetched = mailbox->FetchWhole(found);
    if (!fetch.fetched) {
        fetch.failure = FetchFailedText(mailbox->GetFailure().reason);
        return fetch;
    }
    mailbox->Close(); // the mail is stored whatever the server says to the end
    fetch.storeFile = found.fields.storeFile;
    return fetch;
}

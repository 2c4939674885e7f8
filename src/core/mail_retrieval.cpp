#include "core/mail_retrieval.h"

#include "core/account_mailbox.h"

bool ListsHeadersOnly(const ServerEntry& account) {
    return account.Protocol == ProtocolImap;
}

std::string FetchWholeMail(const ServerEntry& account, const MailHeader& mail, std::string& failure,
                           const std::atomic<int>* running) {
    MailboxContext context;
    context.running = running;
    const std::unique_ptr<CAccountMailbox> mailbox = MakeAccountMailbox(account, context);
    if (!mailbox->Open()) {
        failure = mailbox->GetFailure().reason;
        return "";
    }
    MailboxMail wanted;
    wanted.uniqueId = mail.uniqueId;
    wanted.serverOrder = mail.serverOrder;
    const bool fetched = mailbox->FetchWhole(wanted);
    if (!fetched)
        failure = mailbox->GetFailure().reason;
    // The mail is stored once fetched; how the conversation ends changes nothing.
    mailbox->Close();
    return fetched ? wanted.fields.storeFile : "";
}

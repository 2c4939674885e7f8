#include "core/account_mailbox.h"

#include "core/imap_mailbox.h"
#include "core/pop3_mailbox.h"

std::unique_ptr<CAccountMailbox> MakeAccountMailbox(const ServerEntry& account,
                                                    const MailboxContext& context) {
    if (account.Protocol == ProtocolImap)
        return std::make_unique<CImapMailbox>(account, context);
    return std::make_unique<CPop3Mailbox>(account, context);
}

MailSearch OpenAndFindMail(CAccountMailbox& mailbox, const MailHeader& listed, MailboxMail& found) {
    // Without a count nothing is known of the mailbox.
    if (!mailbox.Open())
        return MailSearch::Failed;
    const MailSearch search = mailbox.FindMail(listed, found);
    if (search == MailSearch::Missing || search == MailSearch::Ambiguous)
        mailbox.Close();
    return search;
}

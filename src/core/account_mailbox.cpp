#include "core/account_mailbox.h"

#include "core/imap_mailbox.h"
#include "core/pop3_mailbox.h"

std::unique_ptr<CAccountMailbox> MakeAccountMailbox(const ServerEntry& account,
                                                    const MailboxContext& context) {
    if (account.Protocol == ProtocolImap)
        return std::make_unique<CImapMailbox>(account, context);
    return std::make_unique<CPop3Mailbox>(account, context);
}

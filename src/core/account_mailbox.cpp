#include "core/account_mailbox.h"

#include "core/pop3_mailbox.h"

std::unique_ptr<CAccountMailbox> MakeAccountMailbox(const ServerEntry& account,
                                                    const MailboxContext& context) {
    return std::make_unique<CPop3Mailbox>(account, context);
}

#include "core/mail_deletion.h"

#include "core/account_mailbox.h"

std::string DeletionQuestion(const std::string& accountName, const MailHeader& mail) {
    return "메일 서버 : " + accountName + "\n\n메일 제목 : " + mail.subject +
           "\n\n보낸 사람 : " + mail.senderAddress + "\n\n받은 날짜 : " + mail.dateText +
           "\n\n\n이 메일을 메일 서버에서 삭제 하시겠습니까?\n\n( 주의 : 삭제된 메일은 다시 복구할 수 없음 "
           ") ";
}

const char* DeletionFailureText(DeletionResult result) {
    return result == DeletionResult::Ambiguous ? "메일 서버에 보낸 사람, 받은 날짜, 메일 제목이 같은 메일이 "
                                                 "여러 통 있어서 삭제하지 않았습니다."
                                               : "메일 삭제를 실패했습니다.";
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
    return DeletionResult::Deleted;
}

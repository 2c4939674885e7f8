#include "core/mail_deletion.h"

#include "mail/pop3_session.h"

namespace {

bool IsListedMail(const CPop3Session& session, const MailHeader& mail) {
    return session.GetSenderAddress() == mail.senderAddress && session.GetDateText() == mail.dateText &&
           session.GetSubject() == mail.subject;
}

} // namespace

std::string DeletionQuestion(const std::string& accountName, const MailHeader& mail) {
    return "메일 서버 : " + accountName + "\n\n메일 제목 : " + mail.subject +
           "\n\n보낸 사람 : " + mail.senderAddress + "\n\n받은 날짜 : " + mail.dateText +
           "\n\n\n이 메일을 메일 서버에서 삭제 하시겠습니까?\n\n( 주의 : 삭제된 메일은 다시 복구할 수 없음 "
           ") ";
}

DeletionResult DeleteMailOnServer(const ServerEntry& account, const MailHeader& mail,
                                  const std::function<bool()>& confirm, const std::atomic<int>* running) {
    CPop3Session session;
    session.SetStopFlag(running);
    session.SetSecurity(SecurityOf(account.Security), account.TrustedCertificate);
    if (!session.Login(account.Address, account.ID, account.Password, account.Port))
        return DeletionResult::Failed;
    // Without a count nothing is known of the mailbox: the row stays.
    if (!session.Stat())
        return DeletionResult::Failed;
    for (int number = session.GetMessageCount(); number >= 1; --number) {
        // An incomplete header still describes its message; a lost
        // connection ends the search without an answer.
        if (!session.Top(number, 0) && !session.IsConnected())
            return DeletionResult::Failed;
        if (session.GetHeaderNumber() != number || !IsListedMail(session, mail))
            continue;
        if (!confirm()) {
            session.Quit();
            return DeletionResult::Declined;
        }
        // DELE only marks the message; the server removes it when QUIT is accepted.
        if (!session.Delete(number) || !session.Quit())
            return DeletionResult::Failed;
        return DeletionResult::Deleted;
    }
    session.Quit();
    return DeletionResult::NotOnServer;
}

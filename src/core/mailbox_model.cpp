#include "core/mailbox_model.h"

#include "core/user_texts.h"
#include "mail/charset.h"

#include <algorithm>

MailHeader ErrorRow(int serverIndex) {
    MailHeader row;
    row.kind = MailHeader::Kind::Error;
    row.serverIndex = serverIndex;
    row.senderName = errorRowSender;
    return row;
}

std::u16string ShownSenderName(const MailHeader& mail) {
    return mail.senderNameWide.empty() ? Cp949ToUtf16(mail.senderName) : mail.senderNameWide;
}

std::u16string ShownSubject(const MailHeader& mail) {
    return mail.subjectWide.empty() ? Cp949ToUtf16(mail.subject) : mail.subjectWide;
}

std::string CAnnouncedMails::AccountKey(const std::string& host, const std::string& user) {
    return host + "\n" + user;
}

std::string CAnnouncedMails::MailKey(const MailHeader& mail) {
    return mail.dateText + "\n" + mail.senderAddress + "\n" + mail.subject;
}

bool CAnnouncedMails::Contains(const std::string& account, const std::string& mail) const {
    auto found = accounts.find(account);
    return found != accounts.end() && found->second.count(mail) != 0;
}

void CAnnouncedMails::Update(const std::string& account, const std::set<std::string>& seen, bool complete) {
    std::set<std::string>& mails = accounts[account];
    if (complete)
        mails = seen;
    else
        mails.insert(seen.begin(), seen.end());
    if (mails.empty())
        accounts.erase(account);
}

std::string CRetrievedMails::MailboxKey(const std::string& host, int port, const std::string& user) {
    return host + "\n" + std::to_string(port) + "\n" + user;
}

const CRetrievedMails::Mail* CRetrievedMails::Find(const std::string& mailbox, const std::string& id) const {
    auto box = mailboxes.find(mailbox);
    if (box == mailboxes.end())
        return nullptr;
    auto found = box->second.find(id);
    return found == box->second.end() ? nullptr : &found->second;
}

void CRetrievedMails::Remember(const std::string& mailbox, const std::string& id, const Mail& mail) {
    mailboxes[mailbox][id] = mail;
}

void CRetrievedMails::Retain(const std::string& mailbox, const std::vector<std::string>& listed) {
    auto box = mailboxes.find(mailbox);
    if (box == mailboxes.end())
        return;
    const std::set<std::string> kept(listed.begin(), listed.end());
    std::map<std::string, Mail>& mails = box->second;
    for (auto at = mails.begin(); at != mails.end();)
        at = kept.count(at->first) ? std::next(at) : mails.erase(at);
    if (mails.empty())
        mailboxes.erase(box);
}

int CMailboxModel::InsertMail(const MailHeader& mail, int row) {
    int at = std::clamp(row, 0, static_cast<int>(arrivedMails.size()));
    arrivedMails.insert(arrivedMails.begin() + at, mail);
    return at;
}

int RowForFoundMail(const std::vector<MailHeader>& rows, const MailHeader& mail) {
    int row = static_cast<int>(rows.size());
    while (row > 0) {
        const MailHeader& before = rows[row - 1];
        if (before.IsErrorRow() || before.serverIndex != mail.serverIndex ||
            before.serverOrder <= mail.serverOrder)
            break;
        --row;
    }
    return row;
}

void CMailboxModel::ClearMails() {
    arrivedMails.clear();
}

void CMailboxModel::RemoveMail(int row) {
    if (row < 0 || row >= static_cast<int>(arrivedMails.size()))
        return;
    if (!arrivedMails[row].IsErrorRow() && listedMailCount > 0)
        --listedMailCount;
    arrivedMails.erase(arrivedMails.begin() + row);
}

bool CMailboxModel::BeginCheck() {
    if (workerActive.exchange(true))
        return false;
    checkRunning = 1;
    return true;
}

void CMailboxModel::EndCheck() {
    checkRunning = 0;
    workerActive = false;
}

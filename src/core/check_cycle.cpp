#include "core/check_cycle.h"

#include "core/notification.h"
#include "core/user_texts.h"
#include "mail/mail_date.h"

#include <algorithm>
#include <new>

namespace {

CCalendarTime StartOfToday(CCalendarTime now) {
    LocalTimeFields today;
    if (!now.GetLocalFields(today))
        return CCalendarTime();
    return CCalendarTime::FromLocal(today.year, today.month, today.day, 0, 0, 0);
}

// The state of one account's walk through its mails.
class CAccountCheck {
  public:
    CAccountCheck(CCheckHost& host, std::atomic<int>& checkRunning, int index, const CheckAccount& account,
                  const CheckFilter& filter, CAnnouncedMails& announced, CRetrievedMails& retrieved)
        : host(host), checkRunning(checkRunning), index(index), account(account), filter(filter),
          announced(announced),
          accountKey(CAnnouncedMails::AccountKey(account.entry.Address, account.entry.ID)),
          mailbox(host.MakeMailbox(account.entry, {&checkRunning, host.GetServerTimeoutMs(), &retrieved})) {}

    // Returns the number of mails counted as new.
    int Run(CCalendarTime programStartTime, int& notifyResult);

  private:
    // Opens the mailbox; false after the account failed.
    bool Open();
    void StartMark();
    // Goes through the mails of the account's reception method; false when
    // the check was stopped on the way.
    bool Walk(CCalendarTime programStartTime);
    // Spam is skipped, or deleted on the server first.
    bool IsSpam(const MailboxMail& mail);
    void List(const MailboxMail& found);
    void MoveMark(CCalendarTime time, const std::string& dateText);
    // Counts a new mail; the newest of them is the one the news names.
    void CountNew(const MailHeader& mail, CCalendarTime mailTime);
    void Fail(const MailboxFailure& failure);

    CCheckHost& host;
    std::atomic<int>& checkRunning;
    int index;
    const CheckAccount& account;
    const CheckFilter& filter;
    CAnnouncedMails& announced;
    const std::string accountKey;
    std::unique_ptr<CAccountMailbox> mailbox;
    int listedCount = 0;
    NewMailNews news;
    CCalendarTime newsTime;
    bool walkComplete = false;

    // The check's own time, and the latest mail date taken as it is.
    CCalendarTime checkTime;
    CCalendarTime dateLimit;
    // A mail is new when it is later than the stored mark; the newest of them
    // becomes the next mark, which therefore never moves backwards.
    CCalendarTime markTime;
    std::string newestDate;
    CCalendarTime newestTime;
    bool markMoved = false;
    // Future-dated mails met in this walk that are, or now get, announced.
    std::set<std::string> announcedSeen;
};

void CAccountCheck::Fail(const MailboxFailure& failure) {
    host.OnAccountFailed(index, account.entry.Name,
                         failure.certificateRefused ? failure.reason + trustHintText : failure.reason);
}

bool CAccountCheck::Open() {
    if (!mailbox->CanConnect())
        host.OnNoSocket();
    if (mailbox->Open())
        return true;
    Fail(mailbox->GetFailure());
    return false;
}

void CAccountCheck::StartMark() {
    checkTime = host.Now();
    dateLimit = CCalendarTime(checkTime.GetSeconds() + futureDateToleranceSeconds);
    newestDate = account.entry.LastMailDate;
    markTime = ParseDisplayDate(newestDate);
    if (markTime > dateLimit) {
        // A mark in the future would keep every mail from being new.
        markTime = checkTime;
        newestDate = FormatDisplayDate(checkTime);
        markMoved = true;
    }
    newestTime = markTime;
}

bool CAccountCheck::IsSpam(const MailboxMail& mail) {
    if (!filter.SpamMailYN || !IsSpamSender(filter.spamAddresses, mail.fields.senderAddress))
        return false;
    if (filter.SpamMailMethod == 1)
        mailbox->DeleteMail(mail);
    return true;
}

void CAccountCheck::List(const MailboxMail& found) {
    MailHeader mail;
    mail.serverIndex = index;
    mail.senderName = found.fields.senderName;
    mail.senderAddress = found.fields.senderAddress;
    mail.subject = found.fields.subject;
    mail.dateText = found.fields.dateText;
    mail.storeFile = found.fields.storeFile;
    mail.senderNameWide = found.fields.senderNameWide;
    mail.subjectWide = found.fields.subjectWide;
    mail.uniqueId = found.uniqueId;
    mail.serverOrder = found.serverOrder;
    host.OnMailFound(mail, account.entry.Name);
    ++listedCount;
    if (found.novelty != MailNovelty::ByDate) {
        if (found.novelty == MailNovelty::New)
            CountNew(mail, found.fields.mailTime);
        return;
    }
    if (mail.dateText.empty())
        return; // no date of its own: never new
    CCalendarTime mailTime = found.fields.mailTime;
    std::string key = CAnnouncedMails::MailKey(mail);
    if (announced.Contains(accountKey, key)) {
        announcedSeen.insert(key); // counted once while it lay ahead of the clock
        return;
    }
    if (mailTime <= dateLimit) {
        if (mailTime > markTime) {
            CountNew(mail, mailTime);
            MoveMark(mailTime, mail.dateText);
        }
        return;
    }
    // Dated beyond the check: new this once, and the mark goes no further
    // than the check's own time.
    announcedSeen.insert(key);
    CountNew(mail, mailTime);
    MoveMark(checkTime, FormatDisplayDate(checkTime));
}

void CAccountCheck::CountNew(const MailHeader& mail, CCalendarTime mailTime) {
    if (news.count++ == 0 || mailTime > newsTime) {
        news.sender = mail.senderName.empty() ? mail.senderAddress : mail.senderName;
        news.subject = mail.subject;
        newsTime = mailTime;
    }
}

void CAccountCheck::MoveMark(CCalendarTime time, const std::string& dateText) {
    if (time > newestTime) {
        newestDate = dateText;
        newestTime = time;
        markMoved = true;
    }
}

bool CAccountCheck::Walk(CCalendarTime programStartTime) {
    MailListing listing;
    switch (account.entry.CheckAlgorithm) {
    case CheckTodayOnly:
        listing.range = MailListing::Range::Since;
        listing.since = StartOfToday(checkTime);
        break;
    case CheckSinceProgramStart:
        listing.range = MailListing::Range::Since;
        listing.since = programStartTime;
        break;
    case CheckAllMail:
        break;
    default:
        return true; // an unknown method lists nothing
    }
    const ListingEnd end = mailbox->ListMails(listing, [this](const MailboxMail& mail) {
        if (!IsSpam(mail))
            List(mail);
    });
    if (end == ListingEnd::Failed)
        Fail(mailbox->GetFailure());
    return end != ListingEnd::Stopped;
}

int CAccountCheck::Run(CCalendarTime programStartTime, int& notifyResult) {
    const ServerEntry& entry = account.entry;
    host.OnAccountBegins(index, entry.Name);
    if (!Open())
        return 0;
    StartMark();
    if (!Walk(programStartTime) || !checkRunning)
        return 0; // stopped: the list goes, and with it what was counted
    if (mailbox->IsOpen()) {
        walkComplete = true;
        mailbox->Close();
    }

    host.OnAccountFinished(index, listedCount);
    announced.Update(accountKey, announcedSeen, walkComplete);
    if (markMoved)
        host.StoreLastMailDate(index, account, newestDate);
    MailboxMark mailboxMark;
    if (mailbox->GetNewMark(mailboxMark))
        host.StoreMailboxMark(index, account, mailboxMark);
    if (news.count > 0)
        notifyResult |= host.NotifyNewMail(index, entry, news);
    return news.count;
}

} // namespace

int IsSpamSender(const std::vector<std::string>& spamAddresses, const std::string& address) {
    if (address.empty())
        return 0;
    return std::find(spamAddresses.begin(), spamAddresses.end(), address) != spamAddresses.end() ? 1 : 0;
}

void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime,
                  CAnnouncedMails& announced, CRetrievedMails& retrieved) {
    host.OnCheckBegins();
    int newMailCount = 0;
    int notifyResult = 0;

    int index = 0;
    CheckAccount account;
    try {
        for (; checkRunning && host.GetAccount(index, account); ++index) {
            if (!account.entry.CheckYN)
                continue;
            CheckFilter filter = host.GetFilter();
            newMailCount += CAccountCheck(host, checkRunning, index, account, filter, announced, retrieved)
                                .Run(programStartTime, notifyResult);
        }
    } catch (const std::bad_alloc&) {
        host.OnAccountFailed(index, account.entry.Name, outOfMemoryText);
    } catch (const std::exception&) {
        host.OnAccountFailed(index, account.entry.Name, checkFailedText);
    }

    CheckOutcome outcome;
    outcome.stopped = !checkRunning;
    outcome.newMailCount = outcome.stopped ? 0 : newMailCount;
    outcome.notifyResult = notifyResult;
    checkRunning = 0;
    host.OnCheckFinished(outcome);
}

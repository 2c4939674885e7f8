#include "core/check_cycle.h"

#include "core/notification.h"
#include "mail/mail_date.h"
#include "mail/mail_store.h"
#include "mail/pop3_session.h"

#include <algorithm>
#include <new>

namespace {

const char* const outOfMemoryText = "메모리가 부족하여 메일 체크를 마치지 못했습니다.";
const char* const checkFailedText = "메일 체크 중에 오류가 발생했습니다.";
// Follows a refused certificate: where the user can look at it and trust it.
const char* const trustHintText =
    " 받는 메일 서버의 등록 정보에서 \"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.";

CCalendarTime StartOfToday(CCalendarTime now) {
    LocalTimeFields today;
    if (!now.GetLocalFields(today))
        return CCalendarTime();
    return CCalendarTime::FromLocal(today.year, today.month, today.day, 0, 0, 0);
}

// The state of one account's walk through its messages.
class CAccountCheck {
  public:
    CAccountCheck(CCheckHost& host, std::atomic<int>& checkRunning, int index, const CheckAccount& account,
                  const CheckFilter& filter, CAnnouncedMails& announced, CRetrievedMails& retrieved)
        : host(host), checkRunning(checkRunning), index(index), account(account), filter(filter),
          announced(announced), retrieved(retrieved),
          accountKey(CAnnouncedMails::AccountKey(account.entry.Address, account.entry.ID)),
          mailboxKey(
              CRetrievedMails::MailboxKey(account.entry.Address, account.entry.Port, account.entry.ID)) {
        session.SetStopFlag(&checkRunning);
        session.SetTimeout(host.GetServerTimeoutMs());
    }

    // Returns the number of mails counted as new.
    int Run(CCalendarTime programStartTime, int& notifyResult);

  private:
    enum class Fetched { Mail, Nothing, Ended };

    // Logs in and reads the message count; false after an error row.
    bool Open();
    void StartMark();
    void Walk(CCalendarTime programStartTime);
    // The unique ids of the messages, when the server lists them.
    void ListIds();
    // A message an earlier check retrieved whose fields still stand, or null.
    const CRetrievedMails::Mail* KnownMail(int number) const;
    Fetched Fetch(int number);
    // Spam is skipped, or deleted on the server first.
    bool IsSpam(int number);
    void List(int row);
    void MoveMark(CCalendarTime time, const std::string& dateText);
    // Counts a new mail; the newest of them is the one the news names.
    void CountNew(const MailHeader& mail, CCalendarTime mailTime);
    // The account ends with the session's error text as its row.
    void ListError() { host.ListError(index, account.entry.Name, session.GetErrorText()); }

    CCheckHost& host;
    std::atomic<int>& checkRunning;
    int index;
    const CheckAccount& account;
    const CheckFilter& filter;
    CAnnouncedMails& announced;
    CRetrievedMails& retrieved;
    const std::string accountKey;
    const std::string mailboxKey;
    CPop3Session session;
    std::vector<std::string> ids; // ids[n - 1] of message n; empty without UIDL
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

bool CAccountCheck::Open() {
    const ServerEntry& entry = account.entry;
    if (!session.HasSocket())
        host.ShowSocketFailure();
    session.SetSecurity(SecurityOf(entry.Security), entry.TrustedCertificate);
    if (!session.Login(entry.Address, entry.ID, entry.Password, entry.Port)) {
        if (IsCertificateFailure(session.GetTlsFailure()))
            host.ListError(index, entry.Name, session.GetErrorText() + trustHintText);
        else
            ListError();
        return false;
    }
    if (!session.Stat()) {
        ListError();
        if (session.IsConnected())
            session.Quit();
        return false;
    }
    return true;
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

void CAccountCheck::ListIds() {
    if (session.GetMessageCount() > 0)
        session.ListUniqueIds(ids);
    retrieved.Retain(mailboxKey, ids);
}

const CRetrievedMails::Mail* CAccountCheck::KnownMail(int number) const {
    if (static_cast<size_t>(number) > ids.size())
        return nullptr;
    const CRetrievedMails::Mail* known = retrieved.Find(mailboxKey, ids[number - 1]);
    // Without a date of its own a message takes the time of the one before.
    if (!known || (known->fields.dateText.empty() && known->previousTime != session.GetMailTime()))
        return nullptr;
    return IsStoreFilePresent(known->fields.storeFile) ? known : nullptr;
}

CAccountCheck::Fetched CAccountCheck::Fetch(int number) {
    if (const CRetrievedMails::Mail* known = KnownMail(number)) {
        session.UseKnownHeader(number, known->fields);
        return checkRunning ? Fetched::Mail : Fetched::Ended;
    }
    const CCalendarTime previousTime = session.GetMailTime();
    const bool fetched = session.Retrieve(number);
    if (static_cast<size_t>(number) <= ids.size() && session.GetHeaderNumber() == number)
        retrieved.Remember(mailboxKey, ids[number - 1], {session.GetHeaderFields(), previousTime});
    if (!checkRunning)
        return Fetched::Ended;
    if (!session.IsConnected()) {
        ListError();
        return Fetched::Ended;
    }
    // A failed transfer may leave the fields of the message before; only a
    // header read from this very message may be listed.
    if (!fetched && session.GetHeaderNumber() != number)
        return Fetched::Nothing;
    return Fetched::Mail;
}

bool CAccountCheck::IsSpam(int number) {
    if (!filter.SpamMailYN || !IsSpamSender(filter.spamAddresses, session.GetSenderAddress()))
        return false;
    if (filter.SpamMailMethod == 1)
        session.Delete(number);
    return true;
}

void CAccountCheck::List(int row) {
    MailHeader mail{index,
                    session.GetSenderName(),
                    session.GetSenderAddress(),
                    session.GetSubject(),
                    session.GetDateText(),
                    session.GetStoreFile(),
                    session.GetHeaderFields().senderNameWide,
                    session.GetHeaderFields().subjectWide};
    host.ListMail(mail, account.entry.Name, row);
    ++listedCount;
    if (mail.dateText.empty())
        return; // no date of its own: never new
    CCalendarTime mailTime = session.GetMailTime();
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

void CAccountCheck::Walk(CCalendarTime programStartTime) {
    int count = session.GetMessageCount();
    switch (account.entry.CheckAlgorithm) {
    case CheckTodayOnly:
    case CheckSinceProgramStart: {
        // Newest first; each older mail goes in front of the newer ones, so the
        // account's rows end up in ascending message order.
        ListIds();
        int insertRow = host.GetRowCount();
        CCalendarTime cutOff =
            account.entry.CheckAlgorithm == CheckTodayOnly ? StartOfToday(checkTime) : programStartTime;
        for (int n = count; n >= 1; --n) {
            Fetched fetched = Fetch(n);
            if (fetched == Fetched::Ended)
                return;
            if (fetched == Fetched::Nothing)
                continue;
            // A mail without a readable date says nothing about the older ones.
            if (!session.GetDateText().empty() && session.GetMailTime() < cutOff)
                break;
            if (!IsSpam(n))
                List(insertRow);
        }
        break;
    }
    case CheckAllMail:
        ListIds();
        for (int n = 1; n <= count; ++n) {
            Fetched fetched = Fetch(n);
            if (fetched == Fetched::Ended)
                return;
            if (fetched == Fetched::Mail && !IsSpam(n))
                List(host.GetRowCount());
        }
        break;
    default:
        break; // an unknown method lists nothing
    }
}

int CAccountCheck::Run(CCalendarTime programStartTime, int& notifyResult) {
    const ServerEntry& entry = account.entry;
    host.ShowStatus(entry.Name + " 체크 중...");
    if (!Open())
        return 0;
    StartMark();
    Walk(programStartTime);
    if (!checkRunning)
        return 0; // stopped: the list goes, and with it what was counted
    if (session.IsConnected()) {
        walkComplete = true;
        session.Quit();
    }

    host.AddListedCount(listedCount);
    announced.Update(accountKey, announcedSeen, walkComplete);
    if (markMoved)
        host.StoreLastMailDate(index, account, newestDate);
    if (news.count > 0)
        notifyResult |= host.NotifyNewMail(index, entry, news);
    return news.count;
}

} // namespace

int CCheckHost::GetServerTimeoutMs() {
    return CPop3Session::defaultTimeoutMs;
}

int IsSpamSender(const std::vector<std::string>& spamAddresses, const std::string& address) {
    if (address.empty())
        return 0;
    return std::find(spamAddresses.begin(), spamAddresses.end(), address) != spamAddresses.end() ? 1 : 0;
}

void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime,
                  CAnnouncedMails& announced, CRetrievedMails& retrieved) {
    host.BeginCheck();
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
        host.ListError(index, account.entry.Name, outOfMemoryText);
    } catch (const std::exception&) {
        host.ListError(index, account.entry.Name, checkFailedText);
    }

    if (!checkRunning) {
        host.ClearMails();
        host.ResetListedCount();
        newMailCount = 0;
    }
    host.ShowOutcome(newMailCount, notifyResult);
    checkRunning = 0;
    host.FinishCheck();
}

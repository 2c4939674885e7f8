#include "app/check_cycle.h"

#include "mail/mail_date.h"
#include "mail/pop3_session.h"

#include <algorithm>

namespace {

CCalendarTime StartOfToday() {
    LocalTimeFields now;
    if (!CCalendarTime::Now().GetLocalFields(now))
        return CCalendarTime();
    return CCalendarTime::FromLocal(now.year, now.month, now.day, 0, 0, 0);
}

// The state of one account's walk through its messages.
class CAccountCheck {
  public:
    CAccountCheck(CCheckHost& host, std::atomic<int>& checkRunning, int index, const CheckAccount& account,
                  const CheckFilter& filter)
        : host(host), checkRunning(checkRunning), index(index), account(account), filter(filter),
          markTime(ParseDisplayDate(account.entry.LastMailDate)), newestDate(account.entry.LastMailDate),
          newestTime(markTime) {}

    // Returns the number of mails counted as new.
    int Run(CCalendarTime programStartTime, int& notifyResult);

  private:
    enum class Fetched { Mail, Nothing, Stopped };

    Fetched Fetch(int number);
    // Spam is skipped, or deleted on the server first.
    bool IsSpam(int number);
    void List(int row);

    CCheckHost& host;
    std::atomic<int>& checkRunning;
    int index;
    const CheckAccount& account;
    const CheckFilter& filter;
    CPop3Session session;
    int listedCount = 0;
    int newCount = 0;
    // A mail is new when it is later than the stored mark; the newest of them
    // becomes the next mark, which therefore never moves backwards.
    const CCalendarTime markTime;
    std::string newestDate;
    CCalendarTime newestTime;
};

CAccountCheck::Fetched CAccountCheck::Fetch(int number) {
    bool retrieved = session.Retrieve(number);
    if (!checkRunning) {
        host.ClearMails();
        return Fetched::Stopped;
    }
    // A failed transfer may leave the fields of the message before; only a
    // header read from this very message may be listed.
    if (!retrieved && session.GetHeaderNumber() != number)
        return Fetched::Nothing;
    return Fetched::Mail;
}

bool CAccountCheck::IsSpam(int number) {
    if (filter.SpamMailYN != 1 || !IsSpamSender(filter.spamAddresses, session.GetSenderAddress()))
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
                    session.GetStoreFile()};
    host.ListMail(mail, account.entry.Name, row);

    CCalendarTime mailTime = session.GetMailTime();
    if (mailTime > markTime) {
        if (mailTime > newestTime) {
            newestDate = mail.dateText;
            newestTime = ParseDisplayDate(newestDate);
        }
        ++newCount;
    }
    ++listedCount;
}

int CAccountCheck::Run(CCalendarTime programStartTime, int& notifyResult) {
    const ServerEntry& entry = account.entry;
    host.ShowStatus(entry.Name + " 체크 중...");
    if (!session.Login(entry.Address, entry.ID, entry.Password, entry.Port)) {
        host.ListError(index, entry.Name, session.GetErrorText());
        return 0;
    }
    session.Stat();
    int count = session.GetMessageCount();

    switch (entry.CheckAlgorithm) {
    case CheckTodayOnly:
    case CheckSinceProgramStart: {
        // Newest first; each older mail goes in front of the newer ones, so the
        // account's rows end up in ascending message order.
        int insertRow = host.GetRowCount();
        CCalendarTime cutOff = entry.CheckAlgorithm == CheckTodayOnly ? StartOfToday() : programStartTime;
        for (int n = count; n >= 1; --n) {
            Fetched fetched = Fetch(n);
            if (fetched == Fetched::Stopped)
                break;
            if (fetched == Fetched::Nothing)
                continue;
            if (session.GetMailTime() < cutOff)
                break;
            if (!IsSpam(n))
                List(insertRow);
        }
        break;
    }
    case CheckAllMail:
        for (int n = 1; n <= count; ++n) {
            Fetched fetched = Fetch(n);
            if (fetched == Fetched::Stopped)
                break;
            if (fetched == Fetched::Mail && !IsSpam(n))
                List(host.GetRowCount());
        }
        break;
    default:
        break; // an unknown method lists nothing
    }

    host.AddListedCount(listedCount);
    session.Quit();
    if (newCount > 0) {
        host.StoreLastMailDate(index, account, newestDate);
        notifyResult |= host.NotifyNewMail(index, entry);
    }
    return newCount;
}

} // namespace

int IsSpamSender(const std::vector<std::string>& spamAddresses, const std::string& address) {
    return std::find(spamAddresses.begin(), spamAddresses.end(), address) != spamAddresses.end() ? 1 : 0;
}

void RunMailCheck(CCheckHost& host, std::atomic<int>& checkRunning, CCalendarTime programStartTime) {
    checkRunning = 1;
    host.BeginCheck();
    int newMailCount = 0;
    int notifyResult = 0;

    CheckAccount account;
    for (int i = 0; host.GetAccount(i, account); ++i) {
        if (account.entry.CheckYN != 1)
            continue;
        CheckFilter filter = host.GetFilter();
        newMailCount +=
            CAccountCheck(host, checkRunning, i, account, filter).Run(programStartTime, notifyResult);
        if (!checkRunning) {
            host.ResetListedCount();
            break;
        }
    }

    host.ShowOutcome(newMailCount, notifyResult);
    checkRunning = 0;
    host.FinishCheck();
}

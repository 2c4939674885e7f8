// The check against a scripted mailbox behind CAccountMailbox: what it asks
// of any protocol and what it reports, with no server at all.
#include "check_cycle_support.h"

#include <algorithm>

namespace {

class CScriptedMailbox : public CAccountMailbox {
  public:
    CScriptedMailbox(std::vector<MailboxMail> mails, MailboxFailure failure, bool opens, std::string& log)
        : mails(std::move(mails)), failure(std::move(failure)), open(opens), log(log) {}

    bool CanConnect() const override { return true; }
    bool Open() override { return open; }
    // Newest first for a range since a time; fails after the mails when a reason is scripted.
    ListingEnd ListMails(const MailListing& listing,
                         const std::function<void(const MailboxMail&)>& take) override {
        if (listing.range == MailListing::Range::Since)
            std::reverse(mails.begin(), mails.end());
        for (const MailboxMail& mail : mails)
            take(mail);
        open = failure.reason.empty();
        return open ? ListingEnd::Complete : ListingEnd::Failed;
    }
    bool FetchWhole(MailboxMail&) override { return false; }
    MailSearch FindMail(const MailHeader&, MailboxMail&) override { return MailSearch::Failed; }
    bool DeleteMail(const MailboxMail& mail) override { return log += "delete " + mail.uniqueId + ";", true; }
    bool Close() override { return log += "close;", !(open = false); }
    bool IsOpen() const override { return open; }
    MailboxFailure GetFailure() const override { return failure; }

  private:
    std::vector<MailboxMail> mails;
    MailboxFailure failure;
    bool open;
    std::string& log;
};

MailboxMail Mail(int order, const std::string& from) {
    MailboxMail mail;
    mail.fields.senderAddress = from;
    mail.fields.subject = "mail " + std::to_string(order);
    mail.fields.dateText = FormatDisplayDate(CCalendarTime(checkClock - 60 * (10 - order)));
    mail.fields.mailTime = CCalendarTime(checkClock - 60 * (10 - order));
    mail.uniqueId = "id" + std::to_string(order);
    mail.serverOrder = order;
    return mail;
}

struct SeamCase {
    int method;
    MailboxFailure failure;
    bool opens;
    std::string rows; // subjects of the rows; "!" and its text for an error row
    std::string mailboxLog;
    int listed;
};

} // namespace

TEST_F(CheckCycle, AnyMailboxBehindTheSeamIsListedInServerOrderWithSpamDeletedByItsId) {
    const SeamCase cases[] = {
        {CheckTodayOnly, {}, true, "mail 1|mail 3|", "delete id2;close;", 2},
        {CheckAllMail, {"끊김", false}, true, "mail 1|mail 3|!끊김|", "delete id2;", 2},
        {CheckAllMail,
         {"거부", true},
         false,
         "!거부 받는 메일 서버의 등록 정보에서 \"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.|",
         "",
         0},
    };
    for (const SeamCase& scripted : cases) {
        std::string log;
        CRecordingHost recording;
        recording.clock = CCalendarTime(checkClock);
        recording.accounts = {Account("가짜", 0, "user", scripted.method)};
        recording.filter = {1, 1, {"spam@example.com"}};
        recording.mailboxes = [&](const ServerEntry&) {
            return std::make_unique<CScriptedMailbox>(std::vector<MailboxMail>{Mail(1, "a@example.com"),
                                                                               Mail(2, "spam@example.com"),
                                                                               Mail(3, "b@example.com")},
                                                      scripted.failure, scripted.opens, log);
        };
        Run(recording);

        std::string rows;
        for (const MailHeader& row : recording.mails)
            rows += (row.IsErrorRow() ? "!" : "") + row.subject + "|";
        EXPECT_EQ(rows, scripted.rows);
        EXPECT_EQ(log, scripted.mailboxLog);
        EXPECT_EQ(recording.listedCount, scripted.listed);
        EXPECT_EQ(recording.newMailCount, scripted.listed);
    }
}

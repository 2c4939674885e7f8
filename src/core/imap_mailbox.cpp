#include "core/imap_mailbox.h"

#include "core/user_texts.h"

#include <algorithm>
#include <limits>

CImapMailbox::CImapMailbox(const ServerEntry& account, const MailboxContext& context)
    : account(account), context(context) {
    PrepareSession(session, account, context);
}

bool CImapMailbox::Fail() {
    failure.reason = ImapFailureText(session);
    failure.certificateRefused = IsCertificateFailure(session.GetTlsFailure());
    return false;
}

bool CImapMailbox::FailGone() {
    failure = {ImapResultText(ImapResult::NoSuchMail)};
    return false;
}

bool CImapMailbox::Open() {
    if (!session.Login(account.Address, account.ID, account.Password, account.Port))
        return Fail();
    if (session.OpenInbox(false))
        return true;
    Fail();
    if (session.IsConnected())
        session.Logout();
    return false;
}

std::uint32_t CImapMailbox::UidOf(const std::string& uniqueId) const {
    const std::string mailbox = std::to_string(session.GetUidValidity()) + ".";
    std::uint32_t uid = 0;
    if (uniqueId.compare(0, mailbox.size(), mailbox) != 0 ||
        !ImapValue{ImapValue::Kind::Atom, uniqueId.substr(mailbox.size()), {}}.GetNumber(uid))
        return 0;
    return uid;
}

MailboxMail CImapMailbox::Listed(const ImapMailSummary& summary, int order) const {
    MailboxMail mail;
    mail.fields = summary.header;
    mail.uniqueId = std::to_string(session.GetUidValidity()) + "." + std::to_string(summary.uid);
    mail.serverOrder = order;
    return mail;
}

void CImapMailbox::MoveMark(const std::vector<std::uint32_t>& uids) {
    mark.uidValidity = session.GetUidValidity();
    mark.lastUid = mark.uidValidity == account.ImapUidValidity ? account.ImapLastUid : 0;
    if (!uids.empty())
        mark.lastUid = std::max(mark.lastUid, uids.back());
}

ListingEnd CImapMailbox::ListMails(const MailListing& listing,
                                   const std::function<void(const MailboxMail&)>& take) {
    std::vector<std::uint32_t> uids;
    std::vector<ImapMailSummary> mails;
    if (!session.SearchUnseen(0, uids) || !session.FetchSummaries(uids, mails)) {
        Fail();
        return IsStopped() ? ListingEnd::Stopped : ListingEnd::Failed;
    }
    // Without a mark every unseen mail is new, as at a first POP3 check; under
    // another UIDVALIDITY the mark's UIDs meant other mails, and none is new.
    std::uint32_t newAbove = 0;
    if (account.ImapUidValidity == session.GetUidValidity())
        newAbove = account.ImapLastUid;
    else if (account.ImapUidValidity != 0)
        newAbove = std::numeric_limits<std::uint32_t>::max();
    MoveMark(uids);

    const bool newestFirst = listing.range == MailListing::Range::Since;
    const int count = static_cast<int>(mails.size());
    for (int step = 0; step < count; ++step) {
        if (IsStopped())
            return ListingEnd::Stopped;
        const int at = newestFirst ? count - 1 - step : step;
        const ImapMailSummary& summary = mails[at];
        // An arrival time the server did not give says nothing against the mail.
        if (newestFirst && summary.arrival.IsValid() && summary.arrival < listing.since)
            continue;
        MailboxMail mail = Listed(summary, at + 1);
        mail.novelty = summary.uid > newAbove ? MailNovelty::New : MailNovelty::Known;
        take(mail);
    }
    listed = true;
    return ListingEnd::Complete;
}

bool CImapMailbox::GetNewMark(MailboxMark& newMark) const {
    if (!listed || (mark.uidValidity == account.ImapUidValidity && mark.lastUid == account.ImapLastUid))
        return false;
    newMark = mark;
    return true;
}

bool CImapMailbox::FetchWhole(MailboxMail& mail) {
    const std::uint32_t uid = UidOf(mail.uniqueId);
    if (uid == 0)
        return FailGone();
    if (!session.FetchMail(uid))
        return Fail();
    mail.fields = session.GetHeaderFields();
    return true;
}

MailSearch CImapMailbox::FindMail(const MailHeader& listed, MailboxMail& found) {
    const std::uint32_t uid = UidOf(listed.uniqueId);
    if (uid == 0)
        return MailSearch::Missing;
    std::vector<ImapMailSummary> mails;
    if (!session.FetchSummaries({uid}, mails)) {
        Fail();
        return MailSearch::Failed;
    }
    if (mails.empty())
        return MailSearch::Missing;
    found = Listed(mails.front(), 1);
    return MailSearch::Found;
}

bool CImapMailbox::DeleteMail(const MailboxMail& mail) {
    // A check reads INBOX read-only; deleting needs it selected. The UIDs of
    // a mailbox recreated meanwhile name no listed mail.
    if (!writable && !session.OpenInbox(true))
        return Fail();
    writable = true;
    const std::uint32_t uid = UidOf(mail.uniqueId);
    if (uid == 0)
        return FailGone();
    if (!session.Delete(uid))
        return Fail();
    leftMarked = leftMarked || session.GetResult() == ImapResult::MarkedOnly;
    return true;
}

bool CImapMailbox::Close() {
    return session.Logout() || Fail();
}

#include "core/pop3_mailbox.h"

#include "core/user_texts.h"
#include "mail/mail_store.h"

#include <algorithm>

namespace {

bool HasListedHeader(const CPop3Session& session, const MailHeader& listed) {
    return session.GetSenderAddress() == listed.senderAddress && session.GetDateText() == listed.dateText &&
           session.GetSubject() == listed.subject;
}

} // namespace

CPop3Mailbox::CPop3Mailbox(const ServerEntry& account, const MailboxContext& context)
    : account(account), context(context),
      mailboxKey(CRetrievedMails::MailboxKey(account.Address, account.Port, account.ID)) {
    PrepareSession(session, account, context);
}

void CPop3Mailbox::Fail() {
    failure.reason = Pop3FailureText(session);
    failure.certificateRefused = IsCertificateFailure(session.GetTlsFailure());
}

bool CPop3Mailbox::Open() {
    if (!session.Login(account.Address, account.ID, account.Password, account.Port)) {
        Fail();
        return false;
    }
    if (!session.Stat()) {
        Fail();
        if (session.IsConnected())
            session.Quit();
        return false;
    }
    return true;
}

void CPop3Mailbox::ListIds() {
    if (session.GetMessageCount() > 0)
        session.ListUniqueIds(ids);
    if (context.retrieved)
        context.retrieved->Retain(mailboxKey, ids);
}

const CRetrievedMails::Mail* CPop3Mailbox::KnownMail(int number) const {
    if (!context.retrieved || static_cast<size_t>(number) > ids.size())
        return nullptr;
    const CRetrievedMails::Mail* known = context.retrieved->Find(mailboxKey, ids[number - 1]);
    // Without a date of its own a message takes the time of the one before.
    if (!known || (known->fields.dateText.empty() && known->previousTime != session.GetMailTime()))
        return nullptr;
    return IsStoreFilePresent(known->fields.storeFile) ? known : nullptr;
}

MailboxMail CPop3Mailbox::Current(int number) const {
    MailboxMail mail;
    mail.fields = session.GetHeaderFields();
    if (static_cast<size_t>(number) <= ids.size())
        mail.uniqueId = ids[number - 1];
    mail.serverOrder = number;
    return mail;
}

bool CPop3Mailbox::FetchWhole(MailboxMail& mail) {
    const bool fetched = session.Retrieve(mail.serverOrder);
    if (session.GetHeaderNumber() == mail.serverOrder)
        mail.fields = session.GetHeaderFields();
    return fetched;
}

CPop3Mailbox::Fetched CPop3Mailbox::Fetch(int number) {
    if (const CRetrievedMails::Mail* known = KnownMail(number)) {
        session.UseKnownHeader(number, known->fields);
        return IsStopped() ? Fetched::Ended : Fetched::Mail;
    }
    const CCalendarTime previousTime = session.GetMailTime();
    MailboxMail mail = Current(number);
    const bool fetched = FetchWhole(mail);
    if (context.retrieved && !mail.uniqueId.empty() && session.GetHeaderNumber() == number)
        context.retrieved->Remember(mailboxKey, mail.uniqueId, {mail.fields, previousTime});
    if (IsStopped())
        return Fetched::Ended;
    if (!session.IsConnected()) {
        Fail();
        return Fetched::Ended;
    }
    // A failed transfer may leave the fields of the message before; only a
    // header read from this very message may be listed.
    if (!fetched && session.GetHeaderNumber() != number)
        return Fetched::Nothing;
    return Fetched::Mail;
}

ListingEnd CPop3Mailbox::ListMails(const MailListing& listing,
                                   const std::function<void(const MailboxMail&)>& take) {
    ListIds();
    const int count = session.GetMessageCount();
    const bool newestFirst = listing.range == MailListing::Range::Since;
    for (int step = 0; step < count; ++step) {
        const int number = newestFirst ? count - step : step + 1;
        const Fetched fetched = Fetch(number);
        if (fetched == Fetched::Ended)
            return IsStopped() ? ListingEnd::Stopped : ListingEnd::Failed;
        if (fetched == Fetched::Nothing)
            continue;
        // A mail without a readable date says nothing about the older ones.
        if (newestFirst && !session.GetDateText().empty() && session.GetMailTime() < listing.since)
            break;
        take(Current(number));
    }
    return ListingEnd::Complete;
}

MailSearch CPop3Mailbox::FindMail(const MailHeader& listed, MailboxMail& found) {
    if (listed.uniqueId.empty() || session.GetMessageCount() < 1 || !session.ListUniqueIds(ids)) {
        if (!session.IsConnected()) {
            Fail();
            return MailSearch::Failed;
        }
        return FindByHeader(listed, found);
    }
    const auto at = std::find(ids.begin(), ids.end(), listed.uniqueId);
    if (at == ids.end())
        return MailSearch::Missing;
    found = MailboxMail{};
    found.uniqueId = listed.uniqueId;
    found.serverOrder = static_cast<int>(at - ids.begin()) + 1;
    return MailSearch::Found;
}

MailSearch CPop3Mailbox::FindByHeader(const MailHeader& listed, MailboxMail& found) {
    bool matched = false;
    for (int number = session.GetMessageCount(); number >= 1; --number) {
        // An incomplete header still describes its message; a lost
        // connection ends the search without an answer.
        if (!session.Top(number, 0) && !session.IsConnected()) {
            Fail();
            return MailSearch::Failed;
        }
        if (session.GetHeaderNumber() != number || !HasListedHeader(session, listed))
            continue;
        // Two mails alike: deleting either might remove the wrong one.
        if (matched)
            return MailSearch::Ambiguous;
        matched = true;
        found = Current(number);
    }
    return matched ? MailSearch::Found : MailSearch::Missing;
}

bool CPop3Mailbox::DeleteMail(const MailboxMail& mail) {
    if (session.Delete(mail.serverOrder))
        return true;
    Fail();
    return false;
}

bool CPop3Mailbox::Close() {
    if (session.Quit())
        return true;
    Fail();
    return false;
}

#include "mail/imap_session.h"

#include "base/ascii_text.h"
#include "mail/base64.h"
#include "mail/fetched_mail.h"
#include "mail/imap_mail_sink.h"

#include <algorithm>
#include <memory>

namespace {

// The longest UID set in one FETCH command.
constexpr size_t maxUidSetBytes = 900;
// The most one command's answer may bring: a whole mail at its limit and more.
constexpr std::uint64_t maxAnswerBytes = 256u << 20;

// A user id or password that would end its command line early.
bool CanEndALine(const std::string& text) {
    static const std::string lineEnds("\r\n\0", 3);
    return text.find_first_of(lineEnds) != std::string::npos;
}

} // namespace

CImapSession::CImapSession()
    : reader([this](char* buffer, size_t size) { return transport.Receive(buffer, size); }) {
    socketCreated = transport.Create();
    SetTimeout(defaultTimeoutMs);
}

void CImapSession::SetTimeout(int milliseconds) {
    transport.SetTimeouts({milliseconds, milliseconds, milliseconds});
}

void CImapSession::SetSecurity(ConnectionSecurity mode, const std::string& fingerprint) {
    security = mode;
    trustedFingerprint = fingerprint;
}

void CImapSession::SetStopFlag(const std::atomic<int>* running) {
    stopFlag = running;
    transport.SetStopFlag(running);
}

TlsError CImapSession::GetTlsError() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetError() : TlsError();
}

std::string CImapSession::GetCertificateFingerprint() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetCertificateFingerprint() : std::string();
}

std::string CImapSession::NextTag() {
    return "A" + std::to_string(++tagNumber);
}

bool CImapSession::Fail(ImapResult reason, const std::string& text) {
    result = reason;
    serverText = text;
    return false;
}

bool CImapSession::Drop(ImapResult reason, const std::string& text) {
    transport.Close();
    reader.Discard();
    return Fail(reason, text);
}

bool CImapSession::DropLost() {
    // A server that said BYE has closed on purpose: its words tell why.
    return byeText.empty() ? Drop(TransportResult()) : Drop(ImapResult::Bye, byeText);
}

ImapResult CImapSession::TransportResult() const {
    switch (transport.GetFailure()) {
    case CSocketTransport::Failure::TimedOut:
        return ImapResult::TimedOut;
    case CSocketTransport::Failure::Stopped:
        return ImapResult::Stopped;
    case CSocketTransport::Failure::Error:
        return ImapResult::SocketError;
    case CSocketTransport::Failure::NoConnection:
        return ImapResult::NoConnection;
    default:
        return ImapResult::Closed;
    }
}

bool CImapSession::Send(const std::string& bytes) {
    if (!IsConnected())
        return result == ImapResult::Ok ? Fail(ImapResult::Closed) : false;
    if (!transport.Send(bytes)) {
        const bool broken = transport.GetFailure() == CSocketTransport::Failure::Error;
        return Drop(broken ? ImapResult::Closed : TransportResult());
    }
    return true;
}

void CImapSession::NoteCapabilities(const std::string& list) {
    capabilities.clear();
    size_t at = 0;
    while (at < list.size()) {
        const size_t end = std::min(list.find(' ', at), list.size());
        if (end > at)
            capabilities.insert(AsciiUpper(list.substr(at, end - at)));
        at = end + 1;
    }
}

bool CImapSession::ReadPastUntagged(ImapResponse& response) {
    transport.BeginReply(responseDeadlineMs);
    do {
        if (!ReadResponse(response))
            return false;
    } while (response.kind == ImapResponse::Kind::Untagged);
    return true;
}

bool CImapSession::ReadResponse(ImapResponse& response) {
    switch (reader.Read(response)) {
    case CImapReader::Result::Read:
        break;
    case CImapReader::Result::Failed:
        return DropLost();
    case CImapReader::Result::TooLarge:
        return Drop(ImapResult::TooLarge);
    case CImapReader::Result::Malformed:
        return Drop(ImapResult::Malformed);
    }
    if (StartsWithNoCase(response.code, "CAPABILITY "))
        NoteCapabilities(response.code.substr(11));
    if (response.kind != ImapResponse::Kind::Untagged)
        return true;
    if (response.status == "BYE")
        byeText = response.text.empty() ? "BYE" : response.text;
    std::uint32_t number = 0;
    if (StartsWithNoCase(response.code, "UIDVALIDITY ")) {
        const ImapValue value{ImapValue::Kind::Atom, response.code.substr(12), {}};
        if (value.GetNumber(number)) {
            uidValidityChanged = uidValidityChanged || (uidValidity != 0 && number != uidValidity);
            uidValidity = number;
        }
    } else if (!response.data.empty() && response.data[0].IsAtom("CAPABILITY")) {
        std::string list;
        for (size_t i = 1; i < response.data.size(); ++i)
            list += response.data[i].text + " ";
        NoteCapabilities(list);
    } else if (response.IsNumbered("EXISTS", number)) {
        heard.newMail = heard.newMail || number > messageCount;
        messageCount = number;
    } else if (response.IsNumbered("EXPUNGE", number)) {
        heard.mailChanged = true;
        messageCount -= messageCount > 0;
    } else if (const std::vector<ImapValue>* items = response.FetchItems()) {
        heard.mailChanged = heard.mailChanged || ImapResponse::Find(*items, "FLAGS");
    }
    return true;
}

bool CImapSession::Run(const CImapCommand& command, ImapResult refusal,
                       const std::function<void(const ImapResponse&)>& take) {
    const std::vector<std::string> segments = command.Segments();
    if (!Send(segments[0]))
        return false;
    size_t next = 1;
    // The whole answer is bounded: in time (its bytes buy time to come) and in size.
    transport.BeginReply(responseDeadlineMs, minimumBytesPerSecond);
    const std::uint64_t before = reader.GetBytesReceived();
    ImapResponse response;
    for (;;) {
        if (!ReadResponse(response))
            return false;
        if (reader.GetBytesReceived() - before > maxAnswerBytes)
            return Drop(ImapResult::TooLarge);
        switch (response.kind) {
        case ImapResponse::Kind::Continuation:
            // The server is ready for a literal or an answer; one it did not ask for is out of step.
            if (next == segments.size())
                return Drop(ImapResult::Malformed);
            if (!Send(segments[next++]))
                return false;
            break;
        case ImapResponse::Kind::Tagged:
            if (response.tag != command.Tag())
                return Drop(ImapResult::Malformed);
            if (response.status != "OK")
                return Fail(refusal, response.text);
            result = ImapResult::Ok;
            return true;
        case ImapResponse::Kind::Untagged:
            if (take)
                take(response);
            break;
        }
    }
}

bool CImapSession::StartTls(const std::string& host) {
    reader.Discard(); // bytes that came before TLS were not protected
    if (transport.StartTls(host, trustedFingerprint))
        return true;
    return Drop(transport.GetFailure() == CSocketTransport::Failure::Tls ? ImapResult::Tls
                                                                         : TransportResult());
}

bool CImapSession::AskCapabilities() {
    capabilities.clear();
    return Run(CImapCommand(NextTag(), "CAPABILITY"), ImapResult::Refused);
}

bool CImapSession::Connect(const std::string& host, int port) {
    bool connected = false;
    for (int attempt = 0; socketCreated && attempt < 3 && !connected; ++attempt) {
        // A socket whose connect failed cannot connect again: take a new one.
        if (attempt > 0 && !transport.Create())
            break;
        connected = transport.Connect(host, port);
        if (transport.GetFailure() == CSocketTransport::Failure::Stopped)
            return Fail(ImapResult::Stopped);
    }
    if (!connected)
        return Fail(ImapResult::NoConnection);
    reader.Discard();
    capabilities.clear();
    byeText.clear();
    result = ImapResult::Ok;
    if (security == ConnectionSecurity::TlsOnConnect && !StartTls(host))
        return false;
    ImapResponse greeting;
    transport.BeginReply(responseDeadlineMs);
    if (!ReadResponse(greeting))
        return false;
    if (greeting.status == "BYE")
        return Drop(ImapResult::Bye, byeText);
    if (greeting.kind != ImapResponse::Kind::Untagged ||
        (greeting.status != "OK" && greeting.status != "PREAUTH"))
        return Drop(ImapResult::Malformed);
    preauthenticated = greeting.status == "PREAUTH";
    if (security == ConnectionSecurity::StartTls) {
        // STARTTLS belongs before authentication: a PREAUTH server cannot take it.
        if (preauthenticated)
            return Drop(ImapResult::StartTlsRefused);
        if (!Run(CImapCommand(NextTag(), "STARTTLS"), ImapResult::StartTlsRefused)) {
            if (IsConnected())
                Drop(result, serverText); // never on in plain
            return false;
        }
        if (!StartTls(host))
            return false;
        capabilities.clear(); // what was said in plain is forgotten
    }
    return !capabilities.empty() || AskCapabilities();
}

bool CImapSession::Authenticate(const std::string& user, const std::string& password) {
    const std::string credentials = std::string(1, '\0') + user + std::string(1, '\0') + password;
    return Run(CImapCommand(NextTag(), "AUTHENTICATE PLAIN").Continue(Base64OneLine(credentials)),
               ImapResult::LoginRefused);
}

bool CImapSession::Login(const std::string& host, const std::string& user, const std::string& password,
                         int port) {
    if (CanEndALine(user) || CanEndALine(password))
        return Fail(ImapResult::BadCredential);
    if (!Connect(host, port))
        return false;
    if (preauthenticated)
        return true;
    const bool loginDisabled = HasCapability("LOGINDISABLED");
    if (loginDisabled && !HasCapability("AUTH=PLAIN"))
        return Fail(ImapResult::NoLoginMethod);
    capabilities.clear(); // the server may offer more once logged in
    const bool loggedIn = loginDisabled ? Authenticate(user, password)
                                        : Run(CImapCommand(NextTag(), "LOGIN").String(user).String(password),
                                              ImapResult::LoginRefused);
    return loggedIn && (!capabilities.empty() || AskCapabilities());
}

bool CImapSession::OpenInbox(bool forWriting) {
    uidValidity = 0;
    uidValidityChanged = false;
    messageCount = 0;
    if (!Run(CImapCommand(NextTag(), forWriting ? "SELECT" : "EXAMINE").Atom("INBOX"), ImapResult::Refused))
        return false;
    heard = ImapChanges(); // the mailbox as opened is no change
    return uidValidity != 0 || Fail(ImapResult::Malformed);
}

bool CImapSession::UidsStillValid() {
    return !uidValidityChanged || Fail(ImapResult::UidValidityChanged);
}

bool CImapSession::Search(const std::string& criteria, std::vector<std::uint32_t>& uids) {
    uids.clear();
    const bool searched = Run(CImapCommand(NextTag(), "UID SEARCH").Atom(criteria), ImapResult::Refused,
                              [&](const ImapResponse& response) {
                                  if (response.data.empty() || !response.data[0].IsAtom("SEARCH"))
                                      return;
                                  std::uint32_t uid = 0;
                                  for (size_t i = 1; i < response.data.size(); ++i)
                                      if (response.data[i].GetNumber(uid))
                                          uids.push_back(uid);
                              });
    if (!searched || !UidsStillValid()) {
        uids.clear();
        return false;
    }
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    return true;
}

bool CImapSession::SearchUnseen(std::uint32_t mark, std::vector<std::uint32_t>& uids) {
    uids.clear();
    if (!UidsStillValid())
        return false;
    if (mark == 0xffffffffu) {
        result = ImapResult::Ok; // no UID lies above it
        return true;
    }
    heard = ImapChanges(); // the search sees every change told before its answer
    if (!Search("UNSEEN UNDELETED UID " + std::to_string(mark + 1) + ":*", uids))
        return false;
    // "n:*" takes in the highest UID even when it lies below n.
    uids.erase(uids.begin(), std::upper_bound(uids.begin(), uids.end(), mark));
    return true;
}

bool CImapSession::FetchSummaries(const std::vector<std::uint32_t>& uids,
                                  std::vector<ImapMailSummary>& mails) {
    mails.clear();
    if (!UidsStillValid())
        return false;
    const std::set<std::uint32_t> wanted(uids.begin(), uids.end());
    std::set<std::uint32_t> listed;
    CImapMailSink sink(reader, FetchedPart::HeaderOnly, header.mailTime);
    bool stored = true;
    for (const std::string& set : UidSets(uids, maxUidSetBytes)) {
        const CImapCommand command = CImapCommand(NextTag(), "UID FETCH")
                                         .Atom(set)
                                         .Atom("(UID INTERNALDATE RFC822.SIZE BODY.PEEK[HEADER])");
        const bool fetched = Run(command, ImapResult::Refused, [&](const ImapResponse& response) {
            const std::vector<ImapValue>* items = response.FetchItems();
            if (!items)
                return;
            std::unique_ptr<CFetchedMail> mail = sink.TakeMail(*items);
            ImapMailSummary summary;
            summary.uid = ImapResponse::FetchUid(*items);
            if (!mail || !wanted.count(summary.uid) || !listed.insert(summary.uid).second)
                return; // a FETCH the server sent of its own accord
            if (!mail->Finish()) {
                stored = false;
                return;
            }
            const ImapValue* date = ImapResponse::Find(*items, "INTERNALDATE");
            if (date && date->kind == ImapValue::Kind::String)
                ParseInternalDate(date->text, summary.arrival);
            const ImapValue* size = ImapResponse::Find(*items, "RFC822.SIZE");
            std::uint32_t bytes = 0;
            if (size && size->GetNumber(bytes))
                summary.size = bytes;
            summary.header = mail->GetFields();
            summary.headerComplete = mail->IsComplete();
            sink.SetPreviousTime(summary.header.mailTime);
            mails.push_back(summary);
        });
        if (!fetched || !UidsStillValid())
            return false;
    }
    if (!stored)
        return Fail(ImapResult::StoreFailed);
    result = ImapResult::Ok; // also when there was nothing to fetch
    std::sort(mails.begin(), mails.end(),
              [](const ImapMailSummary& a, const ImapMailSummary& b) { return a.uid < b.uid; });
    return true;
}

bool CImapSession::FetchMail(std::uint32_t uid) {
    if (!UidsStillValid())
        return false;
    CImapMailSink sink(reader, FetchedPart::Whole, header.mailTime);
    std::unique_ptr<CFetchedMail> found;
    const CImapCommand command =
        CImapCommand(NextTag(), "UID FETCH").Atom(std::to_string(uid)).Atom("(UID BODY.PEEK[])");
    const bool fetched = Run(command, ImapResult::Refused, [&](const ImapResponse& response) {
        const std::vector<ImapValue>* items = response.FetchItems();
        std::unique_ptr<CFetchedMail> mail = items ? sink.TakeMail(*items) : nullptr;
        if (mail && !found && ImapResponse::FetchUid(*items) == uid)
            found = std::move(mail);
    });
    if (!fetched || !UidsStillValid())
        return false;
    if (!found)
        return Fail(ImapResult::NoSuchMail);
    if (!found->Finish())
        return Fail(ImapResult::StoreFailed);
    header = found->GetFields();
    return true;
}

bool CImapSession::Delete(std::uint32_t uid) {
    if (!UidsStillValid())
        return false;
    // Not silent: the server's FETCH answer shows that the UID is there.
    bool marked = false;
    const CImapCommand store =
        CImapCommand(NextTag(), "UID STORE").Atom(std::to_string(uid)).Atom("+FLAGS (\\Deleted)");
    if (!Run(store, ImapResult::Refused,
             [&](const ImapResponse& response) {
                 const std::vector<ImapValue>* items = response.FetchItems();
                 marked = marked || (items && ImapResponse::FetchUid(*items) == uid);
             }) ||
        !UidsStillValid())
        return false;
    // A server may leave out the FETCH of a mail whose flags did not change.
    std::vector<std::uint32_t> found;
    if (!marked && !Search("UID " + std::to_string(uid), found))
        return false;
    if (!marked && found.empty())
        return Fail(ImapResult::NoSuchMail);
    // A plain EXPUNGE would also remove what others marked: only UIDPLUS can remove this one alone.
    if (!HasCapability("UIDPLUS")) {
        result = ImapResult::MarkedOnly;
        return true;
    }
    return Run(CImapCommand(NextTag(), "UID EXPUNGE").Atom(std::to_string(uid)), ImapResult::Refused);
}

bool CImapSession::Logout() {
    const bool said = Run(CImapCommand(NextTag(), "LOGOUT"), ImapResult::Refused);
    transport.Close();
    reader.Discard();
    // A server that closes after its BYE without the tagged answer has still let us go.
    return said || result == ImapResult::Bye;
}

#include "mail/pop3_session.h"

#include "base/ascii_text.h"
#include "mail/fetched_mail.h"
#include "mail/pop3_reply.h"

#include <cstring>
#include <set>
#include <utility>

namespace {

// A user id or password that would end its command line early and let the
// rest pass as another command.
bool CanEndALine(const std::string& text) {
    static const std::string lineEnds("\r\n\0", 3);
    return text.find_first_of(lineEnds) != std::string::npos;
}

} // namespace

CPop3Session::CPop3Session() {
    socketCreated = transport.Create();
    SetTimeout(defaultTimeoutMs);
}

CPop3Session::~CPop3Session() = default;

void CPop3Session::SetTimeout(int milliseconds) {
    transport.SetTimeouts({milliseconds, milliseconds, milliseconds});
}

void CPop3Session::SetSecurity(ConnectionSecurity mode, const std::string& fingerprint) {
    security = mode;
    trustedFingerprint = fingerprint;
}

TlsFailure CPop3Session::GetTlsFailure() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetFailure() : TlsFailure::None;
}

TlsError CPop3Session::GetTlsError() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetError() : TlsError();
}

std::string CPop3Session::GetCertificateFingerprint() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetCertificateFingerprint() : std::string();
}

bool CPop3Session::StartTls(const std::string& host) {
    if (transport.StartTls(host, trustedFingerprint))
        return true;
    DropConnection(transport.GetFailure() == CSocketTransport::Failure::Tls && transport.GetTlsChannel()
                       ? Pop3Failure::Tls
                       : TransportFailure());
    return false;
}

bool CPop3Session::Connect(const std::string& host, int port) {
    bool connected = false;
    if (socketCreated) {
        for (int attempt = 0; attempt < retryCount && !connected; ++attempt) {
            // A socket whose connect failed cannot connect again: take a new one.
            if (attempt > 0 && !transport.Create())
                break;
            connected = transport.Connect(host, port);
            if (transport.GetFailure() == CSocketTransport::Failure::Stopped) {
                failure = Pop3Failure::Stopped;
                return false;
            }
        }
    }
    if (!connected) {
        failure = Pop3Failure::NoConnection;
        return false;
    }
    pending.clear();
    if (security == ConnectionSecurity::TlsOnConnect && !StartTls(host))
        return false;
    ReadStatusLine(ReplyKind::Greeting); // a "-ERR" greeting only leaves its text
    if (!IsConnected())
        return false; // no greeting: closed, or nothing within the time-out
    if (security != ConnectionSecurity::StartTls)
        return true;
    if (!SendCommand("STLS\r\n"))
        return false;
    if (!ReadStatusLine(ReplyKind::Stls)) {
        if (IsConnected())
            DropConnection(Pop3Failure::StlsRefused); // never on in plain
        return false;
    }
    // Whatever came with the "+OK" was not protected: it must not pass as
    // an answer in TLS.
    pending.clear();
    return StartTls(host);
}

bool CPop3Session::Login(const std::string& host, const std::string& user, const std::string& password,
                         int port) {
    if (CanEndALine(user) || CanEndALine(password)) {
        failure = Pop3Failure::BadCredential;
        return false;
    }
    return Connect(host, port) && SendCommand("USER " + user + "\r\n") && ReadStatusLine(ReplyKind::User) &&
           SendCommand("PASS " + password + "\r\n") && ReadStatusLine(ReplyKind::Pass);
}

bool CPop3Session::Stat() {
    return SendCommand("STAT \r\n") && ReadStatusLine(ReplyKind::Stat);
}

bool CPop3Session::Top(int number, int lines) {
    return Fetch(ReplyKind::Top, number,
                 "TOP " + std::to_string(number) + " " + std::to_string(lines) + "\r\n");
}

bool CPop3Session::Retrieve(int number) {
    return Fetch(ReplyKind::Retr, number, "RETR " + std::to_string(number) + "\r\n");
}

bool CPop3Session::ListUniqueIds(std::vector<std::string>& ids) {
    ids.clear();
    // A listing line is short: one far longer than the ids allow is not read into memory.
    const size_t lineLimit = maxUniqueIdBytes + 16;
    std::string listing;
    bool tooLong = false;
    if (!SendCommand("UIDL\r\n") || !ReadMultiLine(ReplyKind::Uidl, [&](const std::string& text) {
            tooLong = tooLong || listing.size() + text.size() > lineLimit * (messageCount + 1);
            if (!tooLong)
                listing += text;
        }))
        return false;
    if (tooLong)
        return false;
    ids.resize(messageCount);
    std::set<std::string> distinct;
    size_t start = 0, listed = 0;
    while (start < listing.size()) {
        const size_t lf = listing.find('\n', start);
        const size_t end = lf == std::string::npos ? listing.size() : lf + 1;
        int number = 0;
        std::string id;
        if (!ParseUniqueIdLine(listing.substr(start, end - start), number, id) || number < 1 ||
            number > messageCount || !ids[number - 1].empty() || !distinct.insert(id).second) {
            ids.clear();
            return false;
        }
        ids[number - 1] = id;
        ++listed;
        start = end;
    }
    if (listed != ids.size()) {
        ids.clear();
        return false;
    }
    return true;
}

bool CPop3Session::GetUniqueId(int number, std::string& id) {
    std::string line;
    if (!SendCommand("UIDL " + std::to_string(number) + "\r\n") || !ReadStatusLine(ReplyKind::Uidl, &line))
        return false;
    int listed = 0;
    return ParseUniqueIdLine(line.substr(3), listed, id) && listed == number;
}

bool CPop3Session::Delete(int number) {
    return SendCommand("DELE " + std::to_string(number) + "\r\n") && ReadStatusLine(ReplyKind::Dele);
}

bool CPop3Session::Quit() {
    if (!SendCommand("QUIT \r\n") || !ReadStatusLine(ReplyKind::Quit))
        return false; // refused: the connection stays open until destruction
    transport.Close();
    return true;
}

bool CPop3Session::SendCommand(const std::string& line) {
    if (!IsConnected()) {
        if (failure == Pop3Failure::None)
            failure = Pop3Failure::Closed;
        return false;
    }
    if (!transport.Send(line)) {
        // A write fails when the connection is gone, not in reading.
        const bool broken = transport.GetFailure() == CSocketTransport::Failure::Error;
        DropConnection(broken ? Pop3Failure::Closed : TransportFailure());
        return false;
    }
    return true;
}

bool CPop3Session::Fetch(ReplyKind kind, int number, const std::string& command) {
    fetchNumber = number;
    for (int attempt = 0; attempt < retryCount && SendCommand(command); ++attempt) {
        const Transfer transfer = ReadMessage(kind);
        if (transfer == Transfer::Complete)
            return true;
        // The same bytes would come again: only a failed transfer or a
        // header without a sender is worth another try.
        if (transfer == Transfer::HeaderIncomplete && !header.senderAddress.empty())
            return false;
        if (!IsConnected())
            break;
    }
    return false;
}

Pop3Failure CPop3Session::Refusal(ReplyKind kind) {
    switch (kind) {
    case ReplyKind::Greeting:
        return Pop3Failure::GreetingRefused;
    case ReplyKind::Stls:
        return Pop3Failure::StlsRefused;
    case ReplyKind::User:
        return Pop3Failure::UserRefused;
    case ReplyKind::Pass:
        return Pop3Failure::PassRefused;
    case ReplyKind::Quit:
        return Pop3Failure::QuitRefused;
    case ReplyKind::Dele:
        return Pop3Failure::DeleRefused;
    case ReplyKind::Stat:
        return Pop3Failure::StatRefused;
    case ReplyKind::Top:
        return Pop3Failure::TopRefused;
    case ReplyKind::Retr:
        return Pop3Failure::RetrRefused;
    case ReplyKind::Uidl:
        return Pop3Failure::UidlRefused;
    }
    return Pop3Failure::None;
}

size_t CPop3Session::ReceiveChunk() {
    if (!pending.empty()) {
        const size_t n = pending.size() < buffer.size() ? pending.size() : buffer.size();
        std::memcpy(buffer.data(), pending.data(), n);
        pending.erase(0, n);
        return n;
    }
    const size_t n = transport.Receive(buffer.data(), buffer.size());
    if (n == 0)
        DropConnection(TransportFailure());
    return n;
}

Pop3Failure CPop3Session::TransportFailure() const {
    switch (transport.GetFailure()) {
    case CSocketTransport::Failure::TimedOut:
        return Pop3Failure::TimedOut;
    case CSocketTransport::Failure::Stopped:
        return Pop3Failure::Stopped;
    case CSocketTransport::Failure::Error:
        return Pop3Failure::ReadError;
    default:
        return Pop3Failure::Closed;
    }
}

void CPop3Session::DropConnection(Pop3Failure reason) {
    failure = reason;
    transport.Close();
    pending.clear();
}

bool CPop3Session::ReadStatusLine(ReplyKind kind, std::string* lineRead) {
    // The reply line up to its LF, however it is split; a line longer than
    // the buffer is cut there.
    transport.BeginReply(replyDeadlineMs);
    std::string line;
    for (;;) {
        const size_t lf = pending.find('\n');
        if (lf != std::string::npos) {
            line = pending.substr(0, lf + 1);
            pending.erase(0, lf + 1);
            break;
        }
        if (pending.size() >= static_cast<size_t>(replyBufferSize)) {
            line.swap(pending);
            break;
        }
        const size_t n = transport.Receive(buffer.data(), buffer.size());
        if (n == 0) {
            DropConnection(TransportFailure());
            return false;
        }
        pending.append(buffer.data(), n);
    }
    line.resize(std::strlen(line.c_str())); // the reply is read as text: it ends at a zero byte

    if (!StartsWithNoCase(line, "+OK")) {
        failure = Refusal(kind);
        serverReply = line.substr(0, line.find_last_not_of("\r\n") + 1);
        return false;
    }
    if (kind == ReplyKind::Stat) {
        // The count must be digits after the first blank or tab.
        const size_t gap = line.find_first_of(" \t");
        const size_t digits = gap == std::string::npos ? gap : line.find_first_not_of(" \t", gap);
        if (digits == std::string::npos || line[digits] < '0' || line[digits] > '9') {
            failure = Refusal(kind);
            serverReply = line.substr(0, line.find_last_not_of("\r\n") + 1);
            return false;
        }
        const int count = DecimalValue(line.substr(digits, 12));
        messageCount = count < maxMessageCount ? count : maxMessageCount;
    }
    if (lineRead)
        lineRead->swap(line);
    return true;
}

bool CPop3Session::ReadMultiLine(ReplyKind kind, const std::function<void(const std::string&)>& take) {
    CMultiLineReply reply;
    std::string text;
    std::uint64_t total = 0;

    transport.BeginReply(replyDeadlineMs, minimumBytesPerSecond);
    for (;;) {
        const size_t n = ReceiveChunk();
        if (n == 0)
            return false;
        size_t used = 0;
        const CMultiLineReply::State state = reply.Feed(buffer.data(), n, text, used);
        // The bytes after this reply come before anything still pending.
        pending.insert(0, buffer.data() + used, n - used);
        if (state == CMultiLineReply::State::Refused) {
            failure = Refusal(kind);
            return false;
        }
        total += used; // the status line counts too: a reply must end some time
        if (total > messageLimit) {
            DropConnection(Pop3Failure::TooLarge);
            return false;
        }
        if (reply.IsMessage() && !text.empty())
            take(text);
        text.clear();
        if (state == CMultiLineReply::State::Complete)
            return true;
    }
}

CPop3Session::Transfer CPop3Session::ReadMessage(ReplyKind kind) {
    CFetchedMail mail(kind == ReplyKind::Top ? FetchedPart::HeaderOnly : FetchedPart::Whole, header.mailTime);
    if (!ReadMultiLine(kind, [&mail](const std::string& text) { mail.Write(text.data(), text.size()); }))
        return Transfer::Failed;
    if (!mail.Finish()) {
        failure = Pop3Failure::StoreFile;
        return Transfer::Failed;
    }
    header = mail.GetFields();
    headerNumber = fetchNumber;
    if (mail.HasBadDate())
        failure = Pop3Failure::BadDate;
    return mail.IsComplete() ? Transfer::Complete : Transfer::HeaderIncomplete;
}

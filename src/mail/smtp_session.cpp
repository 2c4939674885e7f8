#include "mail/smtp_session.h"

#include "base/ascii_text.h"
#include "mail/base64.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {
const char textPartOpener[] = "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=euc-kr\r\n"
                              "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
const char closingDelimiter[] = "\r\n--#BOUNDARY#--";
const char endOfData[] = "\r\n.\r\n";

std::string AttachmentOpener(const MailAttachment& attachment) {
    return "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=" + attachment.name +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" +
           attachment.fileName + "\r\n\r\n";
}

std::string LocalHostName() {
    char name[100] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}

// Whether the EHLO reply offers the AUTH mechanism ("250-AUTH LOGIN PLAIN",
// or the older "250-AUTH=LOGIN").
bool OffersMechanism(const std::string& ehloReply, const std::string& mechanism) {
    const char blanks[] = " \t\r";
    for (size_t lineStart = 0; lineStart < ehloReply.size();) {
        size_t lineEnd = std::min(ehloReply.find('\n', lineStart), ehloReply.size());
        std::string line = ehloReply.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (line.size() < 9 || !StartsWithNoCase(line.substr(4), "AUTH") ||
            (line[8] != ' ' && line[8] != '='))
            continue;
        std::string words = AsciiUpper(line.substr(9));
        for (size_t at = words.find_first_not_of(blanks); at != std::string::npos;
             at = words.find_first_not_of(blanks, at)) {
            size_t end = std::min(words.find_first_of(blanks, at), words.size());
            if (words.compare(at, end - at, mechanism) == 0)
                return true;
            at = end;
        }
    }
    return false;
}

// A complete reply at the start of the received text: any continuation lines
// ("250-...") and the line that ends it.
struct ReplyExtent {
    size_t lastLineStart = 0;
    size_t textLength = 0; // the reply without its final line break
    size_t consumed = 0;   // with it
};

bool FindReply(std::string_view received, std::string_view terminator, ReplyExtent& extent) {
    size_t lineStart = 0;
    for (;;) {
        size_t lineEnd = received.find(terminator, lineStart);
        if (lineEnd == std::string_view::npos)
            return false;
        bool continued = lineEnd - lineStart >= 4 && received[lineStart + 3] == '-';
        if (!continued) {
            extent.lastLineStart = lineStart;
            extent.textLength = lineEnd;
            extent.consumed = lineEnd + terminator.size();
            return true;
        }
        lineStart = lineEnd + terminator.size();
    }
}

// The three-digit code that begins a reply line; false for a line without one.
bool ParseReplyCode(std::string_view line, int& code) {
    if (line.size() < 3)
        return false;
    int value = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
        value = value * 10 + (line[i] - '0');
    }
    code = value;
    return true;
}
} // namespace

CSmtpSession::~CSmtpSession() {
    if (connected)
        Close();
}

void CSmtpSession::SetSecurity(ConnectionSecurity mode, const std::string& fingerprint) {
    security = mode;
    trustedFingerprint = fingerprint;
}

void CSmtpSession::SetLogin(const std::string& user, const std::string& password) {
    loginUser = user;
    loginPassword = password;
}

bool CSmtpSession::Open(const std::string& host, int port) {
    transport.SetTimeouts({connectTimeoutMs, sendTimeoutMs, static_cast<int>(timeoutMs)});
    if (!transport.Create() || !transport.Connect(host, port)) {
        transport.Close();
        return false;
    }
    connected = 1;
    if ((security == ConnectionSecurity::TlsOnConnect && !StartTls(host)) || !Greet(host)) {
        // The answer to QUIT must not hide why the session could not open.
        SmtpError reason = error;
        Close();
        error = reason;
        return false;
    }
    return true;
}

bool CSmtpSession::Greet(const std::string& host) {
    if (!ExpectReply(220))
        return false;
    if (security == ConnectionSecurity::None && loginUser.empty())
        return transport.Send("HELO " + LocalHostName() + "\r\n") && ExpectReply(250);
    if (!Ehlo())
        return false;
    if (security == ConnectionSecurity::StartTls) {
        if (!transport.Send("STARTTLS\r\n") || !ExpectReply(220))
            return false;
        // Whatever came with the 220 was not protected.
        pendingInput.clear();
        if (!StartTls(host) || !Ehlo())
            return false;
    }
    // With TLS asked for it is up by now; without, the user chose plain.
    return loginUser.empty() || Authenticate();
}

bool CSmtpSession::Ehlo() {
    return transport.Send("EHLO " + LocalHostName() + "\r\n") && ExpectReply(250);
}

TlsFailure CSmtpSession::GetTlsFailure() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetFailure() : TlsFailure::None;
}

std::string CSmtpSession::GetCertificateFingerprint() const {
    const CTlsChannel* channel = transport.GetTlsChannel();
    return channel ? channel->GetCertificateFingerprint() : std::string();
}

bool CSmtpSession::StartTls(const std::string& host) {
    if (transport.StartTls(host, trustedFingerprint))
        return true;
    const CTlsChannel* channel = transport.GetTlsChannel();
    if (!channel || transport.GetFailure() != CSocketTransport::Failure::Tls)
        return Fail(SmtpFailure::Reply);
    Fail(SmtpFailure::Tls);
    error.tls = channel->GetError();
    return false;
}

bool CSmtpSession::Authenticate() {
    if (OffersMechanism(replyText, "PLAIN"))
        return transport.Send("AUTH PLAIN " +
                              Base64OneLine(std::string(1, '\0') + loginUser + '\0' + loginPassword) +
                              "\r\n") &&
               ExpectReply(235);
    if (OffersMechanism(replyText, "LOGIN"))
        return transport.Send("AUTH LOGIN\r\n") && ExpectReply(334) &&
               transport.Send(Base64OneLine(loginUser) + "\r\n") && ExpectReply(334) &&
               transport.Send(Base64OneLine(loginPassword) + "\r\n") && ExpectReply(235);
    return Fail(SmtpFailure::NoMechanism);
}

bool CSmtpSession::Fail(SmtpFailure failure) {
    error = SmtpError();
    error.failure = failure;
    return false;
}

bool CSmtpSession::Transmit(const COutgoingMail& message) {
    if (!SendAddressCommand("MAIL FROM:<", message.from.address) || !ExpectReply(250))
        return false;
    for (RecipientKind kind : {RecipientKind::To, RecipientKind::Cc, RecipientKind::Bcc}) {
        for (int i = 0; i < message.GetRecipientCount(kind); ++i) {
            if (!AddressRecipient(message.GetRecipient(i, kind).address))
                return false;
        }
    }
    if (!transport.Send("DATA\r\n") || !ExpectReply(354))
        return false;

    const std::vector<const MailAttachment*>& attachments = message.GetAttachments();
    if (!transport.Send(message.BuildHeader()))
        return false;
    if (!attachments.empty() && !transport.Send(textPartOpener))
        return false;
    if (!transport.Send(message.BuildBodyText()))
        return false;
    for (const MailAttachment* attachment : attachments) {
        if (!transport.Send(AttachmentOpener(*attachment)) || !transport.Send(attachment->encoded))
            return false;
    }
    if (!attachments.empty() && !transport.Send(closingDelimiter))
        return false;
    return transport.Send(endOfData) && ExpectReply(250);
}

bool CSmtpSession::Close() {
    bool acknowledged = false;
    if (connected) {
        acknowledged = transport.Send("QUIT\r\n") && ExpectReply(221);
        connected = 0;
    }
    transport.Close();
    return acknowledged;
}

bool CSmtpSession::ExpectReply(int expectedCode) {
    char buffer[256];
    std::unique_ptr<char[]> heapBuffer;
    return ReceiveUntil(buffer, sizeof buffer, "\r\n", expectedCode, heapBuffer, 4096);
}

bool CSmtpSession::ReceiveUntil(char* buffer, size_t bufferSize, const char* terminator, int expectedCode,
                                std::unique_ptr<char[]>& heapBuffer, size_t growBy) {
    char* text = buffer;
    size_t size = bufferSize;
    size_t held = 0;
    // Makes room for `needed` bytes and a NUL; the caller's buffer is never freed here.
    auto makeRoom = [&](size_t needed) {
        size_t grownSize = size;
        while (grownSize < needed + 1)
            grownSize += growBy;
        if (grownSize == size)
            return;
        std::unique_ptr<char[]> grown(new char[grownSize]);
        std::memcpy(grown.get(), text, held);
        heapBuffer = std::move(grown);
        text = heapBuffer.get();
        size = grownSize;
    };
    auto fail = [&](size_t length) {
        Fail(SmtpFailure::Reply);
        error.reply.assign(text, length);
        return false;
    };

    makeRoom(pendingInput.size());
    std::memcpy(text, pendingInput.data(), pendingInput.size());
    held = pendingInput.size();
    pendingInput.clear();

    ReplyExtent reply;
    transport.BeginReply(replyDeadlineMs);
    while (!FindReply(std::string_view(text, held), terminator, reply)) {
        if (held >= maxReplySize)
            return fail(held);
        makeRoom(held + 1);
        // Silence, the deadline, a closed connection or a stop ends it.
        const size_t count = transport.Receive(text + held, size - held - 1);
        if (count == 0)
            return fail(held);
        held += count;
        text[held] = '\0';
    }

    pendingInput.assign(text + reply.consumed, held - reply.consumed);
    replyText.assign(text, reply.textLength);
    std::string_view lastLine(text + reply.lastLineStart, reply.textLength - reply.lastLineStart);
    // A malformed reply keeps the previous code but never counts as expected.
    if (!ParseReplyCode(lastLine, lastReplyCode) || lastReplyCode != expectedCode)
        return fail(reply.textLength);
    return true;
}

bool CSmtpSession::AddressRecipient(const std::string& address) {
    return SendAddressCommand("RCPT TO: <", address) && ExpectReply(250);
}

bool CSmtpSession::SendAddressCommand(const char* prefix, const std::string& address) {
    // A line break would end the command early and let the rest pass as
    // another command.
    static const std::string lineEnds("\r\n\0", 3);
    size_t bad = address.find_first_of(lineEnds);
    if (bad != std::string::npos) {
        Fail(SmtpFailure::BadAddress);
        error.address = address.substr(0, bad);
        return false;
    }
    return transport.Send(prefix + address + ">\r\n");
}

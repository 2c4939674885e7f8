#include "mail/outgoing_mail.h"

#include "base/ascii_text.h"
#include "mail/dot_stuffing.h"
#include "mail/quoted_printable.h"

#include <cstdlib>

namespace {
const char blanks[] = " \t\r\n";

// Header values are single lines: each run of CR and LF becomes one blank.
std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
        } else if (i == 0 || (text[i - 1] != '\r' && text[i - 1] != '\n')) {
            line += ' ';
        }
    }
    return line;
}

std::string JoinFormatted(const std::vector<MailAddress>& list) {
    std::string joined;
    for (const MailAddress& entry : list) {
        if (!joined.empty())
            joined += ',';
        joined += entry.Format();
    }
    return joined;
}

// "+0900": whole hours with sign, then the minutes of the offset.
std::string FormatZone(int offsetMinutes) {
    int magnitude = std::abs(offsetMinutes);
    return (offsetMinutes < 0 ? "-" : "+") + DecimalText(magnitude / 60, 2, '0') +
           DecimalText(magnitude % 60, 2, '0');
}

// 0 for Sunday to 6 for Saturday (Sakamoto's method for Gregorian dates).
int DayOfWeek(int year, int month, int day) {
    static const int monthShift[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    return (year + year / 4 - year / 100 + year / 400 + monthShift[month - 1] + day) % 7;
}

// "Thu, 05 Jul 2001 14:03:09 +0900", with English names whatever the locale.
std::string FormatDate(const LocalTimeFields& local, const ZoneBias& zone) {
    static const char* const weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return std::string(weekdays[DayOfWeek(local.year, local.month, local.day)]) + ", " +
           DecimalText(local.day, 2, '0') + " " + months[local.month - 1] + " " + DecimalText(local.year) +
           " " + DecimalText(local.hour, 2, '0') + ":" + DecimalText(local.minute, 2, '0') + ":" +
           DecimalText(local.second, 2, '0') + " " + FormatZone(zone.OffsetMinutes());
}
} // namespace

COutgoingMail::COutgoingMail(const CMailClock& clock) : clock(&clock) {}

std::string COutgoingMail::BuildHeader() const {
    std::string ccText = JoinFormatted(ccList);
    std::string header = "From: " + OneLine(from.Format()) + "\r\n";
    header += "To: " + OneLine(JoinFormatted(toList)) + "\r\n";
    if (!ccText.empty())
        header += "Cc: " + OneLine(ccText) + "\r\n";
    header += "Subject: " + OneLine(subject) + "\r\n";
    header += "Date: " + FormatDate(clock->GetLocalTime(), clock->GetZoneBias()) + "\r\n";
    header += "X-Mailer: " + mailer + "\r\n";
    if (!replyTo.address.empty())
        header += "Reply-To: " + OneLine(replyTo.Format()) + "\r\n";
    header += "MIME-Version: 1.0\r\n";
    if (attachments.empty())
        header += "Content-type: text/plain; charset=euc-kr\r\n";
    else
        header += "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n";
    header += "\r\n";
    return header;
}

void COutgoingMail::SetBody(const std::string& text) {
    body = text;
    StuffDots(body);
}

std::string COutgoingMail::BuildBodyText() const {
    if (attachments.empty())
        return body;
    // Encode the text as typed; no encoded line begins with ".", so the result
    // needs no stuffing.
    std::string text = body;
    UnstuffDots(text);
    return EncodeQuotedPrintable(text);
}

bool COutgoingMail::AddRecipients(const std::string& text, RecipientKind kind, std::string* malformedEntry) {
    for (const std::string& entry : SplitRecipientEntries(text)) {
        MailAddress recipient;
        if (!ParseMailAddress(entry, recipient)) {
            if (malformedEntry)
                *malformedEntry = TrimBytes(entry, blanks);
            return false;
        }
        if (!recipient.address.empty())
            AddRecipient(recipient, kind);
    }
    return true;
}

int COutgoingMail::AddRecipient(const MailAddress& address, RecipientKind kind) {
    std::vector<MailAddress>* list = ListOf(kind);
    if (!list)
        return -1;
    list->push_back(address);
    return static_cast<int>(list->size()) - 1;
}

int COutgoingMail::GetRecipientCount(RecipientKind kind) const {
    const std::vector<MailAddress>* list = ListOf(kind);
    return list ? static_cast<int>(list->size()) : 0;
}

MailAddress COutgoingMail::GetRecipient(int index, RecipientKind kind) const {
    const std::vector<MailAddress>* list = ListOf(kind);
    if (!list || index < 0 || static_cast<size_t>(index) >= list->size())
        return MailAddress();
    return (*list)[index];
}

int COutgoingMail::AddAttachment(const MailAttachment* attachment) {
    attachments.push_back(attachment);
    return static_cast<int>(attachments.size()) - 1;
}

std::vector<MailAddress>* COutgoingMail::ListOf(RecipientKind kind) {
    return const_cast<std::vector<MailAddress>*>(static_cast<const COutgoingMail*>(this)->ListOf(kind));
}

const std::vector<MailAddress>* COutgoingMail::ListOf(RecipientKind kind) const {
    switch (kind) {
    case RecipientKind::To:
        return &toList;
    case RecipientKind::Cc:
        return &ccList;
    case RecipientKind::Bcc:
        return &bccList;
    }
    return nullptr;
}

#include "mail/mail_address.h"

#include "base/ascii_text.h"
#include "mail/mime_parameters.h"

namespace {
const char blanks[] = " \t\r\n";
// RFC 5322 specials that a bare display name must not hold. No trail byte of
// code page 949 is one of them, so Korean names pass untouched.
const char specials[] = ",;:<>@()[]\"\\";

// One quoted string from its first byte to its last.
bool IsQuotedString(const std::string& text) {
    if (text.size() < 2 || text[0] != '"')
        return false;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i; // the escaped byte
        else if (text[i] == '"')
            return i == text.size() - 1;
    }
    return false;
}
} // namespace

std::string MailAddress::Format() const {
    if (displayName.empty())
        return address;
    bool plain = displayName.find_first_of(specials) == std::string::npos;
    std::string name = plain || IsQuotedString(displayName) ? displayName : QuotedString(displayName);
    return name + " <" + address + ">";
}

std::vector<std::string> SplitRecipientEntries(const std::string& text) {
    std::vector<std::string> entries;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of(",;", start);
        entries.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return entries;
        start = end + 1;
    }
}

std::string FirstMailbox(const std::string& text) {
    bool quoted = false, angle = false;
    int comment = 0; // comments nest
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // A backslash escapes the next byte, unless it is the trail byte of
        // a double-byte character (code page 949 has such trail bytes).
        if (c == '\\' && (quoted || comment > 0) &&
            (i == 0 || static_cast<unsigned char>(text[i - 1]) < 0x80))
            ++i;
        else if (quoted)
            quoted = c != '"';
        else if (c == '(')
            ++comment;
        else if (comment > 0 && c == ')')
            --comment;
        else if (comment > 0)
            continue;
        else if (c == '"')
            quoted = true;
        else if (c == '<' || c == '>')
            angle = c == '<';
        else if (c == ',' && !angle)
            return text.substr(0, i);
    }
    return text;
}

bool ParseMailAddress(const std::string& entry, MailAddress& address) {
    size_t open = entry.find('<');
    if (open == std::string::npos) {
        address = {"", TrimBytes(entry, blanks)};
        return true;
    }
    size_t close = entry.find('>');
    if (close == std::string::npos || close < open)
        return false;
    address = {TrimBytes(entry.substr(0, open), blanks),
               TrimBytes(entry.substr(open + 1, close - open - 1), blanks)};
    return true;
}

bool ListsAddress(const std::string& recipients, const std::string& address) {
    std::string wanted = AsciiLower(TrimBytes(address, blanks));
    for (const std::string& entry : SplitRecipientEntries(recipients)) {
        MailAddress listed;
        if (ParseMailAddress(entry, listed) && !listed.address.empty() &&
            AsciiLower(listed.address) == wanted)
            return true;
    }
    return false;
}

bool AppendRecipient(std::string& recipients, const std::string& address) {
    if (ListsAddress(recipients, address))
        return false;
    if (TrimBytes(recipients, blanks).empty())
        recipients = address;
    else
        recipients += "; " + address;
    return true;
}

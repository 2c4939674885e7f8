#include "mail/pop3_reply.h"

#include "base/ascii_text.h"

#include <cstring>

namespace {

constexpr char terminator[] = "\r\n.\r\n";
constexpr int terminatorLength = 5;

// The terminator matcher's next state after byte c with `matched` bytes of
// the terminator held (the failure links of CR LF "." CR LF, spelled out).
int Advance(int matched, char c) {
    switch (matched) {
    case 1:
        return c == '\n' ? 2 : c == '\r' ? 1 : 0;
    case 2:
        return c == '.' ? 3 : c == '\r' ? 1 : 0;
    case 3:
        return c == '\r' ? 4 : 0;
    case 4:
        return c == '\n' ? 5 : c == '\r' ? 1 : 0;
    default:
        return c == '\r' ? 1 : 0;
    }
}

// Whether the bytes so far can still begin "+OK ", "+OK" CR or "-ERR" (any case).
bool CanStartStatus(const std::string& bytes) {
    static const char* const forms[] = {"+OK ", "+OK\r", "-ERR"};
    for (const char* form : forms) {
        bool fits = true;
        for (size_t i = 0; i < bytes.size() && fits; ++i)
            fits = AsciiUpper(bytes[i]) == form[i];
        if (fits)
            return true;
    }
    return false;
}

} // namespace

CMultiLineReply::State CMultiLineReply::GetState() const {
    if (phase == Phase::Done)
        return State::Complete;
    if (phase == Phase::Refused)
        return State::Refused;
    return State::Reading;
}

void CMultiLineReply::StartText(const char* bytes, size_t length, std::string& text) {
    phase = Phase::Text;
    matched = 2; // the line end before the text (the status line's, or none)
    unsentHeld = 2;
    ScanText(bytes, length, text);
}

size_t CMultiLineReply::ScanText(const char* bytes, size_t length, std::string& text) {
    size_t i = 0;
    while (i < length) {
        if (matched == 0) {
            // Plain text up to the next CR goes out at once.
            const void* cr = std::memchr(bytes + i, '\r', length - i);
            const size_t run =
                cr ? static_cast<size_t>(static_cast<const char*>(cr) - (bytes + i)) : length - i;
            text.append(bytes + i, run);
            i += run;
            if (!cr)
                break;
        }
        const char c = bytes[i++];
        const int next = Advance(matched, c);
        // The held bytes plus c, less what stays held, are text, except the
        // leading ones that stand for the status line's CR LF.
        const int released = matched + 1 - next;
        for (int k = unsentHeld; k < released; ++k)
            text += k < matched ? terminator[k] : c;
        unsentHeld = unsentHeld > released ? unsentHeld - released : 0;
        matched = next;
        if (matched == terminatorLength) {
            phase = Phase::Done;
            return i;
        }
    }
    return length;
}

CMultiLineReply::State CMultiLineReply::Feed(const char* chunk, size_t length, std::string& text,
                                             size_t& used) {
    size_t i = 0;
    while (i < length) {
        const char c = chunk[i];
        switch (phase) {
        case Phase::Start:
            if (CanStartStatus(opening + c)) {
                opening += c;
                ++i;
                if (opening.size() == 4) {
                    lastWasCR = c == '\r';
                    phase = opening[0] == '-' ? Phase::ErrorLine : Phase::StatusLine;
                }
            } else {
                // No status line: the bytes so far are text. They are a
                // part of "+OK" or "-ERR", so they cannot end the reply.
                std::string first;
                first.swap(opening);
                StartText(first.data(), first.size(), text);
            }
            break;
        case Phase::StatusLine:
            ++i;
            if (lastWasCR && c == '\n')
                StartText(nullptr, 0, text);
            else
                lastWasCR = c == '\r';
            break;
        case Phase::ErrorLine:
            ++i;
            if (c == '\n')
                phase = Phase::Refused;
            break;
        case Phase::Text:
            i += ScanText(chunk + i, length - i, text);
            break;
        case Phase::Done:
        case Phase::Refused:
            used = i;
            return GetState();
        }
    }
    used = i;
    return GetState();
}

bool ParseUniqueIdLine(const std::string& line, int& number, std::string& id) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    const size_t digitsEnd = line.find_first_not_of("0123456789", start);
    if (digitsEnd == start || digitsEnd == std::string::npos || digitsEnd - start > 9)
        return false;
    number = DecimalValue(line.substr(start, digitsEnd - start));
    size_t at = line.find_first_not_of(' ', digitsEnd);
    if (at == digitsEnd || at == std::string::npos)
        return false;
    size_t end = at;
    while (end < line.size() && line[end] > ' ' && line[end] < 0x7f)
        ++end;
    if (end == at || end - at > maxUniqueIdBytes || line.find_first_not_of(" \r\n", end) != std::string::npos)
        return false;
    id = line.substr(at, end - at);
    return true;
}

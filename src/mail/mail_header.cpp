#include "mail/mail_header.h"

#include "base/ascii_text.h"
#include "mail/charset.h"
#include "mail/mail_address.h"
#include "mail/encoded_words.h"
#include "mail/mail_date.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Header lines are trimmed of blanks, tabs, CR and LF.
const char* const lineBlanks = " \t\r\n";

// A header key matches at the very start of the line as written, in lower
// case or in upper case ("Subject: ", "subject: ", "SUBJECT: ").
class CHeaderKey {
  public:
    explicit CHeaderKey(const std::string& key) : spellings{key, AsciiLower(key), AsciiUpper(key)} {}
    bool StartsLine(const std::string& line) const {
        for (const std::string& s : spellings)
            if (line.compare(0, s.size(), s) == 0)
                return true;
        return false;
    }
    size_t Length() const { return spellings[0].size(); }

  private:
    std::string spellings[3];
};

// Code page 949: a byte from 0x81 up leads a two-byte character. A line cut
// at the limit loses a character split there.
void DropSplitCharacter(std::string& line) {
    size_t i = 0;
    while (i < line.size())
        i += static_cast<unsigned char>(line[i]) >= 0x81 ? 2 : 1;
    if (i > line.size())
        line.pop_back();
}

} // namespace

void SplitSender(const std::string& text, std::string& name, std::string& address) {
    name.clear();
    address.clear();
    const size_t lt = text.rfind('<');
    const size_t paren = text.rfind('(');
    // The text after `open` up to, not including, the last character.
    auto inside = [&text](size_t open) {
        return open + 2 <= text.size() ? text.substr(open + 1, text.size() - open - 2) : std::string();
    };
    if (lt != std::string::npos && text.find('>') != std::string::npos) {
        address = inside(lt);
        if (!text.empty() && text[0] == '"') {
            const size_t close = text.find('"', 1);
            if (close != std::string::npos)
                name = text.substr(1, close - 1);
        } else {
            name = text.substr(0, lt);
        }
    } else if (paren != std::string::npos && text.find(')') != std::string::npos) {
        address = text.substr(0, paren);
        name = inside(paren);
    } else {
        address = text;
    }
    name = TrimBytes(name, lineBlanks, TrimEnds::Right);
}

CHeaderReader::CHeaderReader(HeaderFields& fields) : fields(fields) {
    HeaderFields emptied; // every string empty; the time stays until a date converts
    emptied.mailTime = fields.mailTime;
    fields = std::move(emptied);
}

void CHeaderReader::Feed(const char* bytes, size_t length) {
    size_t i = 0;
    while (i < length && !ended) {
        const char* start = bytes + i;
        const void* lf = std::memchr(start, '\n', length - i);
        const size_t run = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) : length - i;
        if (line.size() < maxHeaderLineBytes)
            line.append(start, std::min(run, maxHeaderLineBytes - line.size()));
        lineStarted = true;
        i += run;
        if (!lf)
            break;
        ++i;
        TakeLine();
    }
}

void CHeaderReader::Finish() {
    if (!ended && lineStarted)
        TakeLine();
    ended = true; // the end of the message ends the header
}

void CHeaderReader::TakeLine() {
    static const CHeaderKey toKey("To: "), ccKey("Cc: "), fromKey("From: "), subjectKey("Subject: "),
        dateKey("Date: "), receivedKey("Received: ");

    lineStarted = false;
    if (line.size() == maxHeaderLineBytes)
        DropSplitCharacter(line);
    std::string text = TrimBytes(line, lineBlanks);
    line.clear();
    if (text.find('\r') != std::string::npos)
        text.pop_back();
    if (text.find('\n') != std::string::npos)
        text.pop_back();
    text = TrimBytes(text, lineBlanks);
    if (text.empty()) {
        ended = true; // the empty line that ends the header
        return;
    }

    if (toKey.StartsLine(text) && fields.to.empty()) {
        fields.to = DecodeHeaderText(text.substr(toKey.Length()));
    } else if (ccKey.StartsLine(text) && fields.cc.empty()) {
        fields.cc = DecodeHeaderText(text.substr(ccKey.Length()));
    } else if (fromKey.StartsLine(text) && fields.senderAddress.empty()) {
        // Of several senders, the first is the one listed.
        std::string first = FirstMailbox(text.substr(fromKey.Length()));
        SplitSender(DecodeHeaderText(first), fields.senderName, fields.senderAddress);
        // Encoded words are whole words of the name, so the undecoded line
        // splits the same way.
        std::string name, address;
        SplitSender(first, name, address);
        fields.senderNameWide = DecodeHeaderTextWide(name);
    } else if (subjectKey.StartsLine(text) && fields.subject.empty()) {
        fields.subject = DecodeHeaderText(text.substr(subjectKey.Length()));
        fields.subjectWide = DecodeHeaderTextWide(text.substr(subjectKey.Length()));
    } else if (fields.dateText.empty()) {
        // A date candidate: the Date line, or a Received header (all its
        // continuation lines) until one names a month.
        const int month = FindMonth(text);
        if (!(dateKey.StartsLine(text) && month != -1)) {
            if (!receivedKey.StartsLine(text) && !inReceived)
                return;
            inReceived = true;
            if (month == -1)
                return;
        }
        // month - 3 is the start of a two-digit day ("24 Jul 2001").
        const std::string date =
            TrimBytes(text.substr(month >= 3 ? month - 3 : 0), lineBlanks, TrimEnds::Left);
        dateConverted = ConvertDate(date, fields.mailTime, fields.dateText);
        badDate = badDate || !dateConverted;
        inReceived = false;
    }
}

#include "mail/mail_header.h"

#include "mail/ascii_text.h"
#include "mail/encoded_words.h"
#include "mail/mail_date.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

const char* const errorRowSender = "[에러]";

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

// Reads a file line by line (LF ends a line; the CR before it stays in the
// line for the trimming to remove). A line longer than the limit is cut
// there, before a double-byte character rather than inside it, and the rest
// is skipped unread into memory.
class CLineReader {
  public:
    explicit CLineReader(std::FILE* file) : file(file), block(1 << 14) {}
    // False at the end of the file with nothing read.
    bool ReadLine(std::string& line, size_t limit) {
        line.clear();
        bool any = false;
        for (;;) {
            if (position == filled) {
                filled = std::fread(block.data(), 1, block.size(), file);
                position = 0;
                if (filled == 0)
                    return any;
            }
            any = true;
            const char* start = block.data() + position;
            const void* lf = std::memchr(start, '\n', filled - position);
            const size_t length = lf ? static_cast<const char*>(lf) - start : filled - position;
            if (line.size() < limit)
                line.append(start, std::min(length, limit - line.size()));
            position += lf ? length + 1 : length;
            if (lf)
                break;
        }
        if (line.size() == limit)
            DropSplitCharacter(line);
        return true;
    }

  private:
    // Code page 949: a byte from 0x81 up leads a two-byte character.
    static void DropSplitCharacter(std::string& line) {
        size_t i = 0;
        while (i < line.size())
            i += static_cast<unsigned char>(line[i]) >= 0x81 ? 2 : 1;
        if (i > line.size())
            line.pop_back();
    }

    std::FILE* file;
    std::vector<char> block;
    size_t position = 0, filled = 0;
};

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

bool ParseHeaders(const std::string& path, FetchedPart part, HeaderFields& fields, std::string& errorText,
                  FetchedFile after) {
    static const CHeaderKey toKey("To: "), ccKey("Cc: "), fromKey("From: "), subjectKey("Subject: "),
        dateKey("Date: "), receivedKey("Received: ");

    HeaderFields emptied; // every string empty; the time stays until a date converts
    emptied.mailTime = fields.mailTime;
    fields = std::move(emptied);
    bool dateConverted = false, inReceived = false;

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        errorText = "임시 파일을 열 수 없습니다!";
        return false;
    }
    CLineReader reader(file);
    std::string line;
    for (;;) {
        reader.ReadLine(line, maxHeaderLineBytes); // at the end of the file the line is empty
        line = TrimBytes(line, lineBlanks);
        if (line.find('\r') != std::string::npos)
            line.pop_back();
        if (line.find('\n') != std::string::npos)
            line.pop_back();
        line = TrimBytes(line, lineBlanks);
        if (line.empty())
            break; // the empty line that ends the header

        if (toKey.StartsLine(line) && fields.to.empty()) {
            fields.to = DecodeHeaderText(line.substr(toKey.Length()));
        } else if (ccKey.StartsLine(line) && fields.cc.empty()) {
            fields.cc = DecodeHeaderText(line.substr(ccKey.Length()));
        } else if (fromKey.StartsLine(line) && fields.senderAddress.empty()) {
            SplitSender(DecodeHeaderText(line.substr(fromKey.Length())), fields.senderName,
                        fields.senderAddress);
        } else if (subjectKey.StartsLine(line) && fields.subject.empty()) {
            fields.subject = DecodeHeaderText(line.substr(subjectKey.Length()));
        } else if (fields.dateText.empty()) {
            // A date candidate: the Date line, or a Received header (all its
            // continuation lines) until one names a month.
            const int month = FindMonth(line);
            if (!(dateKey.StartsLine(line) && month != -1)) {
                if (!receivedKey.StartsLine(line) && !inReceived)
                    continue;
                inReceived = true;
                if (month == -1)
                    continue;
            }
            // month - 3 is the start of a two-digit day ("24 Jul 2001").
            const std::string date =
                TrimBytes(line.substr(month >= 3 ? month - 3 : 0), lineBlanks, TrimEnds::Left);
            dateConverted = ConvertDate(date, fields.mailTime, fields.dateText);
            if (!dateConverted)
                errorText = "날짜 변환 에러입니다!";
            inReceived = false;
        }
    }
    std::fclose(file);

    fields.storeFile = StoreFetchedMail(path, fields.mailTime, part, after);
    return !fields.to.empty() && !fields.senderAddress.empty() && !fields.dateText.empty() && dateConverted;
}

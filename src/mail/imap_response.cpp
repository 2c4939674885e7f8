#include "mail/imap_response.h"

#include "base/ascii_text.h"

#include <cstring>

namespace {

constexpr size_t receiveChunk = 16384;
constexpr size_t maxLiteralDigits = 18; // no overflow in 64 bits

bool IsStatusWord(const std::string& word) {
    static const char* const words[] = {"OK", "NO", "BAD", "BYE", "PREAUTH"};
    for (const char* w : words)
        if (word == w)
            return true;
    return false;
}

// Bytes that end an atom outside brackets (RFC 3501 atom-specials less "]",
// which an astring may hold).
bool EndsAtom(char c) {
    return c == ' ' || c == '(' || c == ')' || c == '{' || c == '"' || static_cast<unsigned char>(c) < 0x20 ||
           c == 0x7f;
}

} // namespace

bool ImapValue::IsAtom(const char* name) const {
    return kind == Kind::Atom && AsciiUpper(text) == name;
}

bool ImapValue::GetNumber(std::uint32_t& value) const {
    if (kind != Kind::Atom || text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long number = std::stoull(text);
    if (number > 0xffffffffull)
        return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

const ImapValue* ImapResponse::Find(const std::vector<ImapValue>& list, const char* name) {
    for (size_t i = 0; i + 1 < list.size(); i += 2)
        if (list[i].IsAtom(name))
            return &list[i + 1];
    return nullptr;
}

bool ImapResponse::IsNumbered(const char* name, std::uint32_t& number) const {
    return data.size() >= 2 && data[1].IsAtom(name) && data[0].GetNumber(number);
}

const std::vector<ImapValue>* ImapResponse::FetchItems() const {
    std::uint32_t number = 0;
    if (!IsNumbered("FETCH", number) || data.size() < 3 || data[2].kind != ImapValue::Kind::List)
        return nullptr;
    return &data[2].items;
}

std::uint32_t ImapResponse::FetchUid(const std::vector<ImapValue>& items) {
    const ImapValue* value = Find(items, "UID");
    std::uint32_t uid = 0;
    return value && value->GetNumber(uid) ? uid : 0;
}

void CImapReader::Discard() {
    pending.clear();
    start = 0;
}

bool CImapReader::Fill() {
    pending.erase(0, start);
    start = 0;
    char buffer[receiveChunk];
    const size_t n = source(buffer, sizeof buffer);
    if (n == 0) {
        failure = Result::Failed;
        return false;
    }
    pending.append(buffer, n);
    received += n;
    return true;
}

bool CImapReader::ReadLine() {
    size_t searched = start;
    for (;;) {
        const size_t lf = pending.find('\n', searched);
        const size_t length = (lf == std::string::npos ? pending.size() : lf) - start;
        // The line counts with its LF, so that responseBytes never passes the limit.
        if (length > limits.lineBytes + 1 || responseBytes + length + 1 > limits.responseBytes) {
            failure = Result::TooLarge;
            return false;
        }
        if (lf != std::string::npos) {
            line.assign(pending, start, length);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            start = lf + 1;
            at = 0;
            responseBytes += length + 1;
            return true;
        }
        searched = pending.size() - start; // the bytes before stay searched after Fill
        if (!Fill())
            return false;
        searched += start;
    }
}

bool CImapReader::ReadLiteral(std::uint64_t size, ImapValue& value, const std::string& item) {
    const bool taking = sink && sink->take(item, size);
    if (taking ? size > limits.takenBytes : size > limits.responseBytes - responseBytes) {
        failure = Result::TooLarge;
        return false;
    }
    value.kind = taking ? ImapValue::Kind::Taken : ImapValue::Kind::String;
    while (size > 0) {
        if (start == pending.size() && !Fill())
            return false;
        const size_t available = pending.size() - start;
        const size_t n = size < available ? static_cast<size_t>(size) : available;
        if (taking)
            sink->write(pending.data() + start, n);
        else
            value.text.append(pending, start, n);
        start += n;
        size -= n;
    }
    if (!taking)
        responseBytes += value.text.size();
    // The response goes on in the line after the literal.
    return ReadLine();
}

bool CImapReader::LiteralAtLineEnd(std::uint64_t& size) {
    if (line.back() != '}')
        return false;
    size_t digitsEnd = line.size() - 1;
    if (digitsEnd > at + 1 && line[digitsEnd - 1] == '+')
        --digitsEnd; // a non-synchronising literal (LITERAL+) reads the same
    const std::string digits = line.substr(at + 1, digitsEnd - at - 1);
    if (digits.empty() || digits.size() > maxLiteralDigits ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    size = std::stoull(digits);
    return true;
}

bool CImapReader::ParseQuoted(std::string& text) {
    ++at; // the opening quote
    while (at < line.size()) {
        char c = line[at++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (at == line.size())
                break;
            c = line[at++];
        }
        text += c;
    }
    failure = Result::Malformed;
    return false;
}

bool CImapReader::ParseAtom(std::string& text) {
    const size_t first = at;
    while (at < line.size() && !EndsAtom(line[at])) {
        if (line[at] == '[') {
            // A section ("BODY[HEADER.FIELDS (FROM)]") runs to its bracket, blanks and all.
            const size_t close = line.find(']', at);
            if (close == std::string::npos)
                break;
            at = close;
        }
        ++at;
    }
    if (at == first) {
        failure = Result::Malformed;
        return false;
    }
    text.assign(line, first, at - first);
    return true;
}

bool CImapReader::ParseList(std::vector<ImapValue>& items, int depth) {
    ++at; // the opening parenthesis
    std::string item;
    for (;;) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        if (AtLineEnd()) {
            failure = Result::Malformed;
            return false;
        }
        if (line[at] == ')') {
            ++at;
            return true;
        }
        items.emplace_back();
        if (!ParseValue(items.back(), depth + 1, item))
            return false;
        item = items.back().kind == ImapValue::Kind::Atom ? items.back().text : std::string();
    }
}

bool CImapReader::ParseValue(ImapValue& value, int depth, const std::string& item) {
    const char c = line[at];
    if (c == '(') {
        if (depth >= limits.depth) {
            failure = Result::TooLarge;
            return false;
        }
        value.kind = ImapValue::Kind::List;
        return ParseList(value.items, depth);
    }
    if (c == '"') {
        value.kind = ImapValue::Kind::String;
        return ParseQuoted(value.text);
    }
    if (c == '{') {
        std::uint64_t size = 0;
        if (!LiteralAtLineEnd(size)) {
            failure = Result::Malformed;
            return false;
        }
        return ReadLiteral(size, value, item);
    }
    if (!ParseAtom(value.text))
        return false;
    if (value.IsAtom("NIL")) {
        value.kind = ImapValue::Kind::Nil;
        value.text.clear();
    }
    return true;
}

CImapReader::Result CImapReader::ParseData(std::vector<ImapValue>& values) {
    std::string item;
    for (;;) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        if (AtLineEnd())
            return Result::Read;
        values.emplace_back();
        if (!ParseValue(values.back(), 0, item))
            return failure;
        item = values.back().kind == ImapValue::Kind::Atom ? values.back().text : std::string();
    }
}

void CImapReader::ParseStatusText(ImapResponse& response) {
    if (at < line.size() && line[at] == ' ')
        ++at;
    if (at < line.size() && line[at] == '[') {
        const size_t close = line.find(']', at);
        if (close != std::string::npos) {
            response.code = line.substr(at + 1, close - at - 1);
            at = close + 1;
            if (at < line.size() && line[at] == ' ')
                ++at;
        }
    }
    response.text = line.substr(at);
}

CImapReader::Result CImapReader::Read(ImapResponse& response) {
    response = ImapResponse();
    responseBytes = 0;
    failure = Result::Read;
    if (!ReadLine())
        return failure;
    if (!line.empty() && line[0] == '+') {
        response.kind = ImapResponse::Kind::Continuation;
        response.text = line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1);
        return Result::Read;
    }
    const size_t gap = line.find(' ');
    if (gap == 0 || gap == std::string::npos)
        return Fail(Result::Malformed);
    response.kind =
        line.compare(0, gap, "*") == 0 ? ImapResponse::Kind::Untagged : ImapResponse::Kind::Tagged;
    if (response.kind == ImapResponse::Kind::Tagged)
        response.tag = line.substr(0, gap);
    at = gap + 1;
    const size_t wordEnd = line.find_first_of(" [", at);
    const std::string word =
        AsciiUpper(line.substr(at, wordEnd == std::string::npos ? wordEnd : wordEnd - at));
    if (IsStatusWord(word)) {
        response.status = word;
        at += word.size();
        ParseStatusText(response);
        return Result::Read;
    }
    if (response.kind == ImapResponse::Kind::Tagged)
        return Fail(Result::Malformed); // a tagged response is always a status
    return ParseData(response.data);
}

#include "mail/encoded_words.h"

#include "base/ascii_text.h"
#include "mail/charset.h"
#include "mail/transfer_decoding.h"

namespace {

// Bounds of the repeated decoding: passes, and bytes examined over all
// passes (a huge line full of markers must not take minutes).
constexpr int maxPasses = 256;
constexpr size_t maxWork = 64u << 20;

// The old rules count padding and stray bytes as 0.
unsigned Base64Value(char c) {
    const int value = Base64DigitValue(c);
    return value < 0 ? 0 : static_cast<unsigned>(value);
}

unsigned HexValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    return 0;
}

size_t FindEither(const std::string& text, const char* first, const char* second) {
    const size_t at = text.find(first);
    return at != std::string::npos ? at : text.find(second);
}

bool HasEncodedWord(const std::string& text) {
    return text.find("=?") != std::string::npos &&
           (text.find("?B?") != std::string::npos || text.find("?b?") != std::string::npos ||
            text.find("?Q?") != std::string::npos || text.find("?q?") != std::string::npos);
}

// "\(" and "\)" lose their backslash; control bytes go; then trim.
std::string Clean(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '(' || text[i + 1] == ')')) {
            out += text[++i];
        } else if (static_cast<unsigned char>(c) >= 32) {
            out += c;
        }
    }
    return TrimWhiteSpace(out);
}

// One pass over a trimmed text that holds an encoded word's markers.
std::string DecodeOneWord(const std::string& text) {
    const size_t start = text.find("=?");
    size_t marker = FindEither(text, "?B?", "?b?");
    const bool base64 = marker != std::string::npos;
    if (!base64)
        marker = FindEither(text, "?Q?", "?q?");

    std::string result = text.substr(0, start);
    const size_t data = marker + 3;
    const size_t end = text.find("?=", data);
    if (end == std::string::npos) {
        // No end marker: nothing is decoded and the text goes on from its
        // second byte.
        result.append(text, 1, std::string::npos);
        return Clean(result);
    }
    // Groups start before end - 1, so a group's last byte is at most end + 1,
    // the "=" of "?=": every read stays inside the text.
    if (base64) {
        for (size_t i = data; i + 1 < end; i += 4) {
            const unsigned w = Base64Value(text[i]), x = Base64Value(text[i + 1]),
                           y = Base64Value(text[i + 2]), z = Base64Value(text[i + 3]);
            result += static_cast<char>(((w << 2) + (x >> 4)) & 0xFF);
            result += static_cast<char>(((x << 4) + (y >> 2)) & 0xFF);
            result += static_cast<char>(((y << 6) + z) & 0xFF);
        }
    } else {
        for (size_t i = data; i + 1 < end; i += 3)
            result += static_cast<char>((HexValue(text[i + 1]) << 4) | HexValue(text[i + 2]));
    }
    result.append(text, end + 2, std::string::npos);
    return Clean(result);
}

// A well-formed RFC 2047 word "=?charset?B?data?=" (or "?Q?") at text[at].
struct EncodedWord {
    std::string charset;
    bool base64 = false;
    size_t dataStart = 0, dataEnd = 0, end = 0; // end: just after "?="
};

bool ReadEncodedWord(const std::string& text, size_t at, EncodedWord& word) {
    if (text.compare(at, 2, "=?") != 0)
        return false;
    const size_t charsetEnd = text.find('?', at + 2);
    if (charsetEnd == std::string::npos || charsetEnd == at + 2 || charsetEnd + 3 > text.size() ||
        text[charsetEnd + 2] != '?')
        return false;
    const char form = AsciiUpper(text[charsetEnd + 1]);
    const size_t dataEnd = text.find('?', charsetEnd + 3);
    if ((form != 'B' && form != 'Q') || dataEnd == std::string::npos || dataEnd + 1 >= text.size() ||
        text[dataEnd + 1] != '=')
        return false;
    for (size_t i = at + 2; i < dataEnd; ++i)
        if (static_cast<unsigned char>(text[i]) <= ' ')
            return false;
    word.charset = text.substr(at + 2, charsetEnd - at - 2);
    word.base64 = form == 'B';
    word.dataStart = charsetEnd + 3;
    word.dataEnd = dataEnd;
    word.end = dataEnd + 2;
    return true;
}

// Words in these charsets are converted; the rest (code page 949 under its
// names, and charsets the platform does not know) keep their bytes.
bool IsConvertedCharset(const std::string& charset) {
    return !IsCp949Charset(charset) && IsKnownCharset(charset);
}

// Decodes the run of words that starts with a word in a converted charset
// at `start`: words separated only by white space join without it, and
// adjacent words of one charset are converted together (a character may be
// split between them).
std::string DecodeConvertedRun(const std::string& text, size_t start) {
    std::u16string decoded;
    std::string charset, bytes;
    size_t at = start, end = start;
    EncodedWord word;
    while (ReadEncodedWord(text, at, word) && IsKnownCharset(word.charset)) {
        if (AsciiLower(word.charset) != AsciiLower(charset)) {
            std::u16string piece;
            DecodeCharset(charset, bytes, piece);
            decoded += piece;
            charset = word.charset;
            bytes.clear();
        }
        const std::string data = text.substr(word.dataStart, word.dataEnd - word.dataStart);
        bytes += word.base64 ? DecodeBase64(data) : DecodeEncodedWordQ(data);
        end = word.end;
        at = text.find_first_not_of(" \t\r\n", end);
        if (at == std::string::npos)
            break;
    }
    std::u16string piece;
    DecodeCharset(charset, bytes, piece);
    decoded += piece;
    return Clean(text.substr(0, start) + Utf16ToCp949(decoded) + text.substr(end));
}

} // namespace

std::string DecodeHeaderText(const std::string& text) {
    std::string current = TrimWhiteSpace(text);
    // Raw 8-bit text that is valid UTF-8 (RFC 6532) is converted; text in
    // code page 949 with Hangul is not valid UTF-8 and keeps its bytes.
    if (HasNonAsciiBytes(current) && IsValidUtf8(current)) {
        std::u16string wide;
        DecodeCharset("utf-8", current, wide);
        current = Utf16ToCp949(wide);
    }
    if (!HasEncodedWord(current))
        return current;
    size_t work = 0;
    for (int pass = 0; pass < maxPasses && work < maxWork; ++pass) {
        work += current.size();
        const size_t start = current.find("=?");
        EncodedWord word;
        if (ReadEncodedWord(current, start, word) && IsConvertedCharset(word.charset)) {
            current = DecodeConvertedRun(current, start);
        } else {
            // Markers that form no word may make the text grow for ever:
            // such a pass is the last.
            std::string next = DecodeOneWord(current);
            const bool shorter = next.size() < current.size();
            current = std::move(next);
            if (!shorter)
                break;
        }
        if (!HasEncodedWord(current))
            break;
    }
    return current;
}

std::u16string DecodeHeaderTextWide(const std::string& text) {
    std::u16string out;
    std::string plain; // raw text waiting for its conversion
    const auto flushPlain = [&] {
        std::u16string piece;
        DecodeCharset(IsValidUtf8(plain) ? "utf-8" : "cp949", plain, piece);
        out += piece;
        plain.clear();
    };
    const std::string trimmed = TrimWhiteSpace(text);
    bool afterWord = false;
    for (size_t at = 0; at < trimmed.size();) {
        EncodedWord word;
        if (ReadEncodedWord(trimmed, at, word)) {
            if (!afterWord || plain.find_first_not_of(" \t\r\n") != std::string::npos)
                flushPlain();
            plain.clear();
            const std::string data = trimmed.substr(word.dataStart, word.dataEnd - word.dataStart);
            const std::string bytes = word.base64 ? DecodeBase64(data) : DecodeEncodedWordQ(data);
            std::u16string piece;
            if (!DecodeCharset(word.charset, bytes, piece))
                DecodeCharset("cp949", bytes, piece);
            out += piece;
            afterWord = true;
            at = word.end;
        } else {
            const char c = trimmed[at++];
            if (c == '\r' || c == '\n')
                continue; // unfolding
            plain += c;
        }
    }
    flushPlain();
    return out;
}

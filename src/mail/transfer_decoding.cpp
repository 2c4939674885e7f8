#include "mail/transfer_decoding.h"

#include "base/ascii_text.h"

int Base64DigitValue(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

namespace {

std::string DecodeQuoted(const std::string& text, bool underscoreIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            // A soft break: "=", perhaps blanks, then the line end.
            size_t next = i + 1;
            while (next < text.size() && (text[next] == ' ' || text[next] == '\t'))
                ++next;
            if (next < text.size() && (text[next] == '\n' || text[next] == '\r')) {
                i = text.compare(next, 2, "\r\n") == 0 ? next + 1 : next;
                continue;
            }
            const int high = i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
            const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
            if (low >= 0) {
                out += static_cast<char>(high << 4 | low);
                i += 2;
                continue;
            }
        }
        out += underscoreIsBlank && c == '_' ? ' ' : c;
    }
    return out;
}

} // namespace

std::string DecodeBase64(const std::string& text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    unsigned group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const int digit = Base64DigitValue(c);
        if (digit < 0)
            continue;
        group = (group << 6 | static_cast<unsigned>(digit)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(const std::string& text) {
    return DecodeQuoted(text, false);
}

std::string DecodeEncodedWordQ(const std::string& text) {
    return DecodeQuoted(text, true);
}

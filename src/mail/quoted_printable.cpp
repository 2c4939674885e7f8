#include "mail/quoted_printable.h"

namespace {
// Characters before the soft-break "=", which makes the 76th.
constexpr size_t maxLineContent = 75;

bool IsLineBreakAt(const std::string& text, size_t i) {
    return i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
}

bool IsLiteral(unsigned char c) {
    return (c >= 33 && c <= 126 && c != '=') || c == ' ' || c == '\t';
}
} // namespace

std::string EncodeQuotedPrintable(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() + text.size() / 8);
    size_t lineLength = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLineBreakAt(text, i)) {
            encoded += "\r\n";
            lineLength = 0;
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        // Receivers drop white space at the end of a line, so keep it visible.
        bool endsLine = i + 1 == text.size() || IsLineBreakAt(text, i + 1);
        bool literal = IsLiteral(c) && !((c == ' ' || c == '\t') && endsLine);
        if (lineLength + (literal ? 1 : 3) > maxLineContent) {
            encoded += "=\r\n";
            lineLength = 0;
        }
        // A line opened by "." or "-" could pass for the end-of-data mark or
        // a MIME boundary.
        if (lineLength == 0 && (c == '.' || c == '-'))
            literal = false;
        if (literal) {
            encoded += static_cast<char>(c);
            lineLength += 1;
        } else {
            encoded += '=';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
            lineLength += 3;
        }
    }
    return encoded;
}

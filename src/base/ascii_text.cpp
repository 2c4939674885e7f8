#include "base/ascii_text.h"

#include <climits>
#include <cstring>

namespace {

const char* const whiteSpace = " \t\r\n\v\f"; // what isspace accepts in the C locale

} // namespace

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        c = AsciiUpper(c);
    return text;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool HasNonAsciiBytes(const std::string& text) {
    for (const unsigned char c : text)
        if (c >= 0x80)
            return true;
    return false;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiUpper(c);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i]))
            return false;
    return true;
}

std::string TrimBytes(const std::string& text, const char* blanks, TrimEnds ends) {
    const size_t first = ends == TrimEnds::Right ? 0 : text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const size_t last = ends == TrimEnds::Left ? text.size() - 1 : text.find_last_not_of(blanks);
    if (last == std::string::npos)
        return std::string();
    return text.substr(first, last - first + 1);
}

std::string TrimWhiteSpace(const std::string& text) {
    return TrimBytes(text, whiteSpace);
}

int DecimalValue(const std::string& text) {
    size_t i = text.find_first_not_of(whiteSpace);
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

std::string DecimalText(long long value, size_t width, char pad) {
    std::string digits = std::to_string(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), pad);
    return digits;
}

std::string HexText(unsigned long value, size_t digits) {
    std::string text(digits, '0');
    for (size_t i = digits; i-- > 0; value >>= 4)
        text[i] = "0123456789ABCDEF"[value & 15];
    return text;
}

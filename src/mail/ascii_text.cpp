#include "mail/ascii_text.h"

#include <cstring>

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
    return TrimBytes(text, " \t\r\n\v\f");
}

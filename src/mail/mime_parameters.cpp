#include "mail/mime_parameters.h"

#include "mail/base64.h"

#include <cstring>
#include <vector>

namespace {
const char charsetName[] = "euc-kr";
// Bytes of text per encoded word: 60 base64 characters and the 12 around
// them stay within the 75 that RFC 2047 allows.
constexpr size_t wordBytes = 45;
// Characters of one RFC 2231 continuation value.
constexpr size_t segmentLength = 60;

// Length of the character that starts at text[i]: 2 for a lead byte of code
// page 949 with a byte after it, else 1.
size_t CharacterLength(const std::string& text, size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
}

// Splits text into pieces of at most `limit` units, between characters;
// `units` gives what a character counts.
template <typename Units>
std::vector<std::string> SplitBetweenCharacters(const std::string& text, size_t limit, Units units) {
    std::vector<std::string> pieces(1);
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        size_t length = CharacterLength(text, i);
        std::string character = text.substr(i, length);
        size_t cost = units(character);
        if (used + cost > limit && used > 0) {
            pieces.emplace_back();
            used = 0;
        }
        pieces.back() += character;
        used += cost;
        i += length;
    }
    return pieces;
}

// RFC 2231 attribute-char: what may stand unencoded in an extended value.
bool IsAttributeChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("!#$&+-.^_`|~", c));
}

std::string PercentEncoded(const std::string& bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : bytes) {
        if (IsAttributeChar(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}
} // namespace

std::string QuotedString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string EncodedWords(const std::string& text) {
    std::string words;
    for (const std::string& piece :
         SplitBetweenCharacters(text, wordBytes, [](const std::string& c) { return c.size(); })) {
        if (!words.empty())
            words += ' ';
        words += std::string("=?") + charsetName + "?B?" + Base64OneLine(piece) + "?=";
    }
    return words;
}

std::string ExtendedParameter(const std::string& name, const std::string& text) {
    std::vector<std::string> segments = SplitBetweenCharacters(
        text, segmentLength, [](const std::string& c) { return PercentEncoded(c).size(); });
    std::string prefix = std::string(charsetName) + "''";
    if (segments.size() == 1)
        return name + "*=" + prefix + PercentEncoded(segments[0]);
    std::string parameter;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0)
            parameter += ";\r\n ";
        parameter +=
            name + "*" + std::to_string(i) + "*=" + (i == 0 ? prefix : "") + PercentEncoded(segments[i]);
    }
    return parameter;
}

#include "mail/mime_parameters.h"

#include "base/ascii_text.h"
#include "mail/base64.h"
#include "mail/charset.h"
#include "mail/encoded_words.h"

#include <algorithm>
#include <cstring>
#include <map>

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

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Whether `parameterName` is an RFC 2231 section of `name`: "name*" or
// "name*N", "name*N*" with N below 1000; `section` receives N (0 for "name*").
bool IsSection(const std::string& parameterName, const std::string& name, int& section) {
    if (parameterName.size() <= name.size() || parameterName.compare(0, name.size(), name) != 0 ||
        parameterName[name.size()] != '*')
        return false;
    const std::string suffix = parameterName.substr(name.size() + 1);
    const size_t digits = std::min(suffix.find_first_not_of("0123456789"), suffix.size());
    if (!suffix.empty() &&
        (digits == 0 || digits > 3 || (digits < suffix.size() && suffix.substr(digits) != "*")))
        return false;
    section = DecimalValue(suffix.substr(0, digits));
    return true;
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

std::string SplitParameters(const std::string& field, std::vector<MimeParameter>& parameters) {
    size_t at = field.find(';');
    const std::string value = AsciiLower(TrimWhiteSpace(field.substr(0, at)));
    while (at < field.size()) { // at a ";"
        const size_t equals = field.find_first_of("=;", at + 1);
        if (equals == std::string::npos)
            break;
        if (field[equals] == ';') {
            at = equals; // a parameter without a value
            continue;
        }
        MimeParameter parameter;
        parameter.name = AsciiLower(TrimWhiteSpace(field.substr(at + 1, equals - at - 1)));
        at = equals + 1;
        while (at < field.size() && (field[at] == ' ' || field[at] == '\t'))
            ++at;
        if (at < field.size() && field[at] == '"') {
            for (++at; at < field.size() && field[at] != '"'; ++at) {
                if (field[at] == '\\' && at + 1 < field.size())
                    ++at;
                parameter.value += field[at];
            }
            at = field.find(';', at);
        } else {
            const size_t end = field.find(';', at);
            parameter.value = TrimWhiteSpace(field.substr(at, end == std::string::npos ? end : end - at));
            at = end;
        }
        parameters.push_back(std::move(parameter));
    }
    return value;
}

ParameterValue ReadParameter(const std::vector<MimeParameter>& parameters, const std::string& name) {
    ParameterValue read;
    const MimeParameter* plain = nullptr;
    std::map<int, const MimeParameter*> sections;
    for (const MimeParameter& parameter : parameters) {
        int section = 0;
        if (parameter.name == name && !plain)
            plain = &parameter;
        else if (IsSection(parameter.name, name, section))
            sections.emplace(section, &parameter);
    }
    if (sections.empty()) {
        if (plain)
            read.bytes = plain->value;
        return read;
    }
    read.extended = true;
    for (const auto& [section, parameter] : sections) {
        const bool encoded = parameter->name.back() == '*';
        std::string value = parameter->value;
        if (encoded && section == sections.begin()->first) {
            // charset'language'text
            const size_t first = value.find('\'');
            const size_t second = first == std::string::npos ? first : value.find('\'', first + 1);
            if (second != std::string::npos) {
                read.charset = value.substr(0, first);
                value = value.substr(second + 1);
            }
        }
        read.bytes += encoded ? PercentDecoded(value) : value;
    }
    return read;
}

std::u16string ParameterText(const std::vector<MimeParameter>& parameters, const std::string& name) {
    const ParameterValue value = ReadParameter(parameters, name);
    if (!value.extended)
        return DecodeHeaderTextWide(value.bytes);
    std::u16string text;
    if (value.charset.empty() || !DecodeCharset(value.charset, value.bytes, text))
        DecodeCharset(IsValidUtf8(value.bytes) ? "utf-8" : "cp949", value.bytes, text);
    return text;
}

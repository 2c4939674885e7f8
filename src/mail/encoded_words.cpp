#include "mail/encoded_words.h"

#include "mail/ascii_text.h"

namespace {

// Bounds of the repeated decoding: passes, and bytes examined over all
// passes (a huge line full of markers must not take minutes).
constexpr int maxPasses = 256;
constexpr size_t maxWork = 64u << 20;

unsigned Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned>(c - 'A');
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned>(c - 'a' + 26);
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0' + 52);
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return 0;
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

} // namespace

std::string DecodeHeaderText(const std::string& text) {
    std::string current = TrimWhiteSpace(text);
    if (!HasEncodedWord(current))
        return current;
    size_t work = 0;
    for (int pass = 0; pass < maxPasses && work < maxWork; ++pass) {
        work += current.size();
        std::string next = DecodeOneWord(current);
        const bool shorter = next.size() < current.size();
        current = std::move(next);
        if (!shorter || !HasEncodedWord(current))
            break;
    }
    return current;
}

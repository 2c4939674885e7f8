#include "mail/base64.h"

namespace {
const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t groupsPerLine = 19; // 19 groups of 4 characters: 76 per line
} // namespace

size_t Base64EncodedSize(size_t byteCount) {
    size_t characters = 4 * ((byteCount + 2) / 3);
    return characters + (2 * characters) / 76 + 3;
}

bool Base64Encode(const unsigned char* data, size_t byteCount, char* buffer, size_t bufferSize,
                  size_t& length) {
    if (bufferSize < Base64EncodedSize(byteCount))
        return false;
    char* out = buffer;
    size_t groupsOnLine = 0;
    size_t i = 0;
    for (; i + 3 <= byteCount; i += 3) {
        unsigned bits = data[i] << 16 | data[i + 1] << 8 | data[i + 2];
        *out++ = alphabet[bits >> 18 & 63];
        *out++ = alphabet[bits >> 12 & 63];
        *out++ = alphabet[bits >> 6 & 63];
        *out++ = alphabet[bits & 63];
        if (++groupsOnLine == groupsPerLine) {
            *out++ = '\r';
            *out++ = '\n';
            groupsOnLine = 0;
        }
    }
    size_t rest = byteCount - i;
    if (rest > 0) {
        unsigned bits = data[i] << 16 | (rest == 2 ? data[i + 1] << 8 : 0);
        *out++ = alphabet[bits >> 18 & 63];
        *out++ = alphabet[bits >> 12 & 63];
        *out++ = rest == 2 ? alphabet[bits >> 6 & 63] : '=';
        *out++ = '=';
    }
    *out++ = '\r';
    *out++ = '\n';
    *out = '\0';
    length = static_cast<size_t>(out - buffer);
    return true;
}

std::string Base64OneLine(const std::string& bytes) {
    std::string text(Base64EncodedSize(bytes.size()), '\0');
    size_t length = 0;
    Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &text[0], text.size(),
                 length);
    std::string line;
    line.reserve(length);
    for (size_t i = 0; i < length; ++i)
        if (text[i] != '\r' && text[i] != '\n')
            line += text[i];
    return line;
}

// Base64 (RFC 2045) for mail attachments: lines of 76 characters, each
// ending in CR LF, and a final CR LF after the last group.
#pragma once

#include <cstddef>
#include <string>

// Bytes of buffer that Base64Encode needs for byteCount bytes of data,
// counting the line breaks, the final CR LF and a terminating NUL.
size_t Base64EncodedSize(size_t byteCount);

// Encodes data into buffer and NUL-terminates it; length receives the number
// of text bytes without the NUL. Returns false, writing nothing, when
// bufferSize is less than Base64EncodedSize(byteCount).
bool Base64Encode(const unsigned char* data, size_t byteCount, char* buffer, size_t bufferSize,
                  size_t& length);

// bytes encoded without any line break, as encoded words and AUTH take them.
std::string Base64OneLine(const std::string& bytes);

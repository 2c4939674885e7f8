// Decoding of the MIME transfer encodings of received mail. Lenient, as
// readers of real mail must be: what does not fit the encoding is skipped
// or kept, never an error.
#pragma once

#include <string>

// The value 0-63 of a base64 character, or -1 for any other byte.
int Base64DigitValue(char c);

// Base64 (RFC 2045): characters outside the alphabet (line breaks, blanks)
// are skipped and decoding stops at the first "="; a final incomplete group
// gives the whole bytes it holds.
std::string DecodeBase64(const std::string& text);

// Quoted-printable (RFC 2045): "=" and two hex digits (either case) give
// one byte, "=" at the end of a line joins it to the next (soft break);
// any other "=" is kept as it is.
std::string DecodeQuotedPrintable(const std::string& text);

// The "Q" form of an encoded word (RFC 2047): as quoted-printable, and "_"
// stands for a blank.
std::string DecodeEncodedWordQ(const std::string& text);

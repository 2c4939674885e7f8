// Conversion of mail text between the charsets it is written in, UTF-16
// (what the message view displays) and code page 949 (every other text of
// the program). Windows converts through its code pages, other platforms
// through iconv; UTF-8, US-ASCII and ISO-2022-KR are decoded here so that
// both give the same results.
#pragma once

#include <string>

// Whether `charset` (a MIME name in any case: "UTF-8", "iso-8859-1",
// "ks_c_5601-1987", "windows-1252", ...) names a charset this platform can
// convert. An RFC 2231 language suffix ("utf-8*ko") is ignored.
bool IsKnownCharset(const std::string& charset);

// Whether `charset` is code page 949 under one of its names (EUC-KR,
// KS_C_5601-1987, CP949, UHC, ...): text in it is already the program's own.
bool IsCp949Charset(const std::string& charset);

// Converts bytes written in `charset` to UTF-16. Bytes that are not valid in
// the charset become U+FFFD. Returns false, leaving `text` empty, when the
// charset is unknown.
bool DecodeCharset(const std::string& charset, const std::string& bytes, std::u16string& text);

// UTF-16 to code page 949; every character code page 949 lacks (a lone
// surrogate too) becomes one "?".
std::string Utf16ToCp949(const std::u16string& text);

// Code page 949 to UTF-16 (a byte pair code page 949 does not define becomes
// U+FFFD).
std::u16string Cp949ToUtf16(const std::string& text);

// Appends one code point as UTF-16: a surrogate pair above U+FFFF, U+FFFD
// for lone surrogates and values above U+10FFFF.
void AppendCodePoint(char32_t codePoint, std::u16string& out);

// Whether bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values above U+10FFFF). Plain ASCII is well-formed.
bool IsValidUtf8(const std::string& bytes);

// Byte-string helpers for mail text in code page 949: only ASCII letters
// change case, only ASCII blanks are trimmed and only ASCII digits count,
// so double-byte characters pass through untouched.
#pragma once

#include <string>

char AsciiUpper(char c);
std::string AsciiUpper(std::string text);
std::string AsciiLower(std::string text);

// Whether text holds a byte beyond ASCII.
bool HasNonAsciiBytes(const std::string& text);

// The value of a hexadecimal digit of either case, or -1 for any other byte.
int HexDigitValue(char c);

// Whether text begins with prefix, ASCII letters compared without case.
bool StartsWithNoCase(const std::string& text, const char* prefix);

enum class TrimEnds { Both, Left, Right };

// Removes the bytes listed in `blanks` from the chosen ends of text.
std::string TrimBytes(const std::string& text, const char* blanks, TrimEnds ends = TrimEnds::Both);

// Removes blanks, tabs, CR, LF, VT and FF from both ends.
std::string TrimWhiteSpace(const std::string& text);

// Numbers as text without the printf family, whose static copy is 24 KB.
// DecimalText(v, 2, '0') is "%02d" and DecimalText(v, 3) "%3d" for v >= 0;
// HexText(v, 8) is "%08lX".
std::string DecimalText(long long value, size_t width = 0, char pad = ' ');
std::string HexText(unsigned long value, size_t digits);

// The decimal value at the start of text, as atoi reads it (leading white
// space, a sign, digits up to the first other character; 0 without digits),
// but clamped to the int range instead of overflowing.
int DecimalValue(const std::string& text);

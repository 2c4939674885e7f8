// Header values of outgoing mail that need more than raw bytes: quoted
// strings (RFC 5322), encoded words (RFC 2047) and extended parameter values
// (RFC 2231). Text is code page 949 and is labelled "euc-kr", as the rest of
// the mail is.
#pragma once

#include <string>

// text between double quotes, with every '"' and '\' escaped by a '\'.
std::string QuotedString(const std::string& text);

// text as base64 encoded words ("=?euc-kr?B?...?="), separated by blanks,
// each at most 75 characters and never splitting a double-byte character.
std::string EncodedWords(const std::string& text);

// The RFC 2231 form of the parameter `name` with the value text:
// name*=euc-kr''%BA%B8... on one line when it is short; otherwise numbered
// continuations name*0*=euc-kr''...; name*1*=... folded onto lines of their
// own, each split between characters.
std::string ExtendedParameter(const std::string& name, const std::string& text);

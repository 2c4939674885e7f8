// Header values that need more than raw bytes: quoted strings (RFC 5322),
// encoded words (RFC 2047) and extended parameter values (RFC 2231), written
// for outgoing mail and read from received mail. Outgoing text is code page
// 949 and is labelled "euc-kr", as the rest of the mail is.
#pragma once

#include <string>
#include <vector>

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

// One parameter of a received header field, as written.
struct MimeParameter {
    std::string name; // lower case, with any RFC 2231 "*0*" suffix
    std::string value;
};

// Splits `field` ("type/subtype; name=value; name="quoted \" text"") into
// its main value, in lower case, and its parameters. Linear in the field.
std::string SplitParameters(const std::string& field, std::vector<MimeParameter>& parameters);

// The value of one parameter, read in whichever form it came.
struct ParameterValue {
    std::string bytes;     // percent escapes undone
    std::string charset;   // named by an RFC 2231 value, else empty
    bool extended = false; // given in RFC 2231 form
};

// Parameter `name`: plain ("name=value"), or in RFC 2231 form
// ("name*=charset'language'%XX", or the numbered sections "name*0",
// "name*1*"... joined in order), which is preferred when both come.
ParameterValue ReadParameter(const std::vector<MimeParameter>& parameters, const std::string& name);

// The text of parameter `name` in UTF-16: a plain value may hold encoded
// words, as many mailers write file names; an RFC 2231 value is in its
// charset, else in UTF-8 when it is valid UTF-8, else in code page 949.
std::u16string ParameterText(const std::vector<MimeParameter>& parameters, const std::string& name);

// Quoted-printable encoding (RFC 2045, section 6.7) of a text part.
#pragma once

#include <string>

// Encodes text for a part labelled "Content-Transfer-Encoding:
// quoted-printable". Every CR LF pair stays a line break; "=", control bytes
// (a lone CR or LF included) and 8-bit bytes become "=XX"; a blank or tab
// before a line break or at the end is encoded too, and so is a "." or "-"
// that would begin a line: no line of the result starts with a dot or can be
// taken for a MIME boundary. Longer lines are split with soft breaks so that
// no output line exceeds 76 characters. Decoding the result gives back text
// byte for byte.
std::string EncodeQuotedPrintable(const std::string& text);

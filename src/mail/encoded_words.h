// Decoding of MIME encoded words ("=?charset?B?base64?=", "=?charset?Q?=XX=XX?=")
// in the To, Cc, From and Subject header texts, into code page 949.
#pragma once

#include <string>

// Raw 8-bit text that is valid UTF-8 (RFC 6532) is converted first; code
// page 949 Hangul is not valid UTF-8 and keeps its bytes.
// A well-formed word in a charset the platform converts, other than code
// page 949 under its names (EUC-KR, KS_C_5601-1987, ...), is decoded by
// RFC 2047: with the words right after it it is converted to code page 949
// (what it lacks becomes "?"), the white space between them dropped.
// Otherwise the word's bytes are taken as code page 949 by the program's
// old rules, one encoded word per pass, left to right, as long as the text
// holds "=?" and one of "?B?", "?b?", "?Q?", "?q?":
//  - the text is trimmed; the base64 form is chosen when "?B?" (else "?b?")
//    occurs anywhere, else the quoted form for "?Q?" (else "?q?"); the data
//    runs from that marker to the first "?=" after it;
//  - the result is the text before the first "=?", the decoded bytes, and
//    the text after that "?=" (without a "?=", the text from its second byte);
//  - base64 groups of four map A-Z a-z 0-9 + / to 0-63 and anything else
//    (padding too) to 0; quoted groups are "=" and two upper-case hex digits
//    (any other digit counts as 0);
//  - "\(" and "\)" become "(" and ")", other bytes below 32 are dropped, and
//    the result is trimmed.
// A text without an encoded word comes back trimmed and otherwise unchanged.
// Passes stop as soon as one by the old rules does not make the text shorter (markers that
// form no word could otherwise make it grow for ever), after 256 passes, and
// once the passes have examined 64 MB.
std::string DecodeHeaderText(const std::string& text);

// The header text for display in UTF-16, by the rules of RFC 2047 alone:
// every well-formed encoded word in its charset (code page 949 when the
// charset is unknown), white space between adjacent words dropped; the
// other text is raw UTF-8 when it is valid UTF-8 (RFC 6532), else code page
// 949. Folded lines are unfolded; the result is trimmed.
std::u16string DecodeHeaderTextWide(const std::string& text);

// A mail address as the user writes it: an optional display name and the
// bare address. Used for every address of an outgoing mail and for the
// entries of the address book; recipient texts list such addresses
// separated by "," or ";".
#pragma once

#include <string>
#include <vector>

struct MailAddress {
    std::string displayName; // may be empty
    std::string address;     // bare address, without angle brackets

    // "Name <address>" when there is a display name, else the bare address.
    // A name holding a character that would end or split it in a header
    // ("," ";" ":" "<" ">" "@" "(" ")" "[" "]" '"' '\') is written as a
    // quoted string, unless it already is one.
    std::string Format() const;
};

// The entries of a recipients text: the pieces between "," and ";" (empty
// ones included), untrimmed.
std::vector<std::string> SplitRecipientEntries(const std::string& text);

// The first mailbox of an address list as a header carries it ("A
// <a@x.kr>, "B, C" <b@x.kr>"): the text before the first "," outside a
// quoted string, a comment and angle brackets (encoded words hold none);
// the whole text when there is none.
std::string FirstMailbox(const std::string& text);

// Reads one entry: "Name <address>" (anything after the ">" is ignored) or a
// bare address, both trimmed of blanks, tabs and line breaks. False for an
// entry with a "<" but no ">" after it.
bool ParseMailAddress(const std::string& entry, MailAddress& address);

// Whether an entry of recipients names address, compared whole and without
// regard to the case of ASCII letters: "a@x.kr" is not in "aa@x.kr".
bool ListsAddress(const std::string& recipients, const std::string& address);

// Appends address to recipients ("; " between entries) unless it is listed
// already. True when it was appended.
bool AppendRecipient(std::string& recipients, const std::string& address);

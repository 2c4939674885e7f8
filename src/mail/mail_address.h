// A mail address as the user writes it: an optional display name and the
// bare address. Used for every address of an outgoing mail and for the
// entries of the address book.
#pragma once

#include <string>

struct MailAddress {
    std::string displayName; // may be empty
    std::string address;     // bare address, without angle brackets

    // "Name <address>" when there is a display name, else the bare address.
    std::string Format() const;
};

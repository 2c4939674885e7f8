// A display name and a bare e-mail address: an address-book entry and every
// address of an outgoing mail.
#pragma once

#include <string>

struct MailAddress {
    std::string displayName; // may be empty
    std::string address;     // without angle brackets

    // "name <address>", or the bare address when there is no name.
    std::string Format() const { return displayName.empty() ? address : displayName + " <" + address + ">"; }
};

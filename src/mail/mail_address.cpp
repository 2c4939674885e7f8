#include "mail/mail_address.h"

std::string MailAddress::Format() const {
    if (displayName.empty())
        return address;
    return displayName + " <" + address + ">";
}

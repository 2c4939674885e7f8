// One arrived mail as listed in the mailbox.
#pragma once

#include <string>

struct MailHeader {
    int serverIndex = 0;    // the account it was fetched from
    std::string senderName; // empty when the From line gives none; "[에러]" in an error row
    std::string senderAddress;
    std::string subject;
    std::string dateText;  // display form of the mail's date
    std::string storeFile; // full path of its copy in the temporary .eml store
};

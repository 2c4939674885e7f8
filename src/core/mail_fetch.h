// Fetching the whole of one listed mail whose stored file holds only its
// header (an IMAP check reads headers only), for the mail view. The mail is
// found again by its unique id and read with BODY.PEEK, so it does not
// become read. Talks only to the server; runs on a worker thread.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"

#include <atomic>
#include <string>

struct MailFetch {
    bool fetched = false;
    // Fetched: the stored file that now holds the whole mail (the header-only
    // one, filled). Else what the user is told.
    std::string storeFile;
    std::string failure;
};

// Logs into `account`, fetches `mail` whole into the .eml store and logs
// out. A stop (*running becoming 0) ends it unfetched.
MailFetch FetchMailWhole(const ServerEntry& account, const MailHeader& mail, const std::atomic<int>* running);

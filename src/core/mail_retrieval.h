// Fetching one listed mail whole from its server, for a view of a mail whose
// check kept only its header (IMAP lists headers and leaves every mail
// unread). Talks only to the server, so this runs on a worker thread.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"

#include <atomic>
#include <string>

// Whether the check of `account` stores only the headers of the mails it lists.
bool ListsHeadersOnly(const ServerEntry& account);

// Logs into `account`, fetches `mail` by its unique id, stores it whole
// in the .eml store and logs out. The stored file, or "" with the reason in
// `failure`. A stop (*running becoming 0) ends it with "".
std::string FetchWholeMail(const ServerEntry& account, const MailHeader& mail, std::string& failure,
                           const std::atomic<int>* running);

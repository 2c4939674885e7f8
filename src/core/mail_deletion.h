// Deleting one listed mail on its server. The mail is found again by its
// unique id, or where the server offers none by its header (sender address,
// date and subject), which must then be the header of that mail alone. The
// user confirms before it is deleted. Talks only to the server; the
// question is put through a callback, so this runs on a worker thread.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"

#include <atomic>
#include <functional>
#include <string>

enum class DeletionResult {
    Deleted,     // found, confirmed and deleted
    MarkedOnly,  // found, confirmed and marked deleted: the server removes it later
    NotOnServer, // no longer on the server: the listed row may go
    Declined,    // the user kept it
    Ambiguous,   // without unique ids, several mails have its header: none is touched
    Failed,      // no login, a lost connection, or DELE or QUIT refused
};

// What the user is told when a deletion ends as MarkedOnly, Failed or Ambiguous.
const char* DeletionFailureText(DeletionResult result);

// Logs into `account`, looks for `mail`, asks `confirm` (true: delete) and
// logs out; the deletion takes effect only when QUIT is accepted. A stop
// (*running becoming 0) ends the conversation as Failed.
DeletionResult DeleteMailOnServer(const ServerEntry& account, const MailHeader& mail,
                                  const std::function<bool()>& confirm, const std::atomic<int>* running);

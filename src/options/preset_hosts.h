// Host names offered by the address drop-downs of the server properties
// dialog (POP3 or IMAP) and the outgoing-mail page (SMTP), in the order
// shown: Korean mail services first, then the large international ones. The
// POP3 and IMAP lists name the same providers in the same order. One entry
// of each list is a pattern: the user replaces "+서버 번호" by the number
// of their own server.
#pragma once

#include <windows.h>

#include <array>

using IncomingPresetHosts = std::array<const char*, 23>;
extern const IncomingPresetHosts pop3PresetHosts;
extern const IncomingPresetHosts imapPresetHosts;
extern const std::array<const char*, 24> smtpPresetHosts;

// Appends the hosts to a combo box's list, keeping its edit text.
template <size_t count> void AddPresetHosts(HWND comboBox, const std::array<const char*, count>& hosts) {
    for (const char* host : hosts)
        SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host));
}

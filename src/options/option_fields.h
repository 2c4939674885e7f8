// Fields shared by the options sheet's pages and dialogs: server ports and
// host names, and the mail client choice (radio buttons "아웃룩 익스프레스",
// "아웃룩", "넷스케이프 메신저", "기타" followed by the path edit of the
// "기타" client and its browse and run buttons).
#pragma once

#include "framework/window.h"
#include "mail/connection_security.h"

#include <initializer_list>
#include <string>

class CDataExchange;

// Exchanges a TCP port with its edit. Saving, anything but a number from 1
// to 65535 (empty, letters, 0, 70000) fails to validate with a message.
void ExchangePort(CDataExchange& dx, int id, int& port);
// The arrows of up-down control `spinId` run over the same 1..65535.
void SetPortSpinRange(const CWindow& dialog, int spinId);

// After the security chosen in combo box `securityId` changed: the port
// edit `portId` shows the new security's usual port while it shows one of
// the protocol's usual ports (usualPorts); a port the user typed stays.
void SuggestUsualPort(const CWindow& dialog, int securityId, int portId, int (*usualPort)(ConnectionSecurity),
                      std::initializer_list<int> usualPorts);

// Fills combo box `comboId` with the three securities' `texts`, in the order
// of ConnectionSecurity, and answers the index to select for `stored`. A
// stored number that names no security gets a fourth entry that says so;
// while it stays chosen the number is kept (and used as TLS).
int FillSecurityChoices(const CWindow& dialog, int comboId, const char* const (&texts)[3], int stored);
// The number to store for the chosen entry.
int StoredSecurityOf(int chosen, int stored);

// Why `host` cannot name a server (empty, or blanks inside), in a message
// that names the field by `fieldName`; empty when the host is usable. The
// host is taken as already stripped of the blanks around it.
std::string HostNameProblem(const std::string& host, const std::string& fieldName);

// `MailClient` 1, 2, 3 and the "기타" client 4 as the index of their radio
// button; any other code ticks "기타".
int ClientChoiceOf(int mailClient);
// The radio index (-1 for none) as a `MailClient` code.
int MailClientOf(int choice);
constexpr int otherClientChoice = 3;

// Enables the "기타" client's path edit with its browse and run buttons.
void EnableClientPath(const CWindow& dialog, bool enable);
// The browse filter for a mail client: programs first, then every file.
extern const char programFilter[];
// Opens `path` with the shell, shown normally; nothing for an empty path.
void OpenWithShell(const std::string& path);

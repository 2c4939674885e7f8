// Drives the options window of a running main frame as the user does: the
// tray's "환경 설정(&S)" command opens it, and a user thread works in it.
#pragma once

#include "dialog_answerer.h"

#include <windows.h>

#include <functional>
#include <string>

extern const char optionSheetCaption[];
extern const char serverDialogCaption[];
extern const char passwordDialogCaption[];

// Runs the tray's options command on `frame` while `act` works in the
// windows it opens; returns once the command has returned and `act` ended.
void RunOptionsCommand(HWND frame, const std::function<void()>& act);
// The same, with `act` given the sheet (null when none appeared).
void UseOptionSheet(HWND frame, const std::function<void(HWND sheet)>& act);

// The page shown now in the sheet.
HWND CurrentPage(HWND sheet);
// Turns to page `index` as a click on its tab does.
void ShowPage(HWND sheet, int index);

// Picks entry `index` of combo box `id` as a choice from its list does.
void ChooseEntry(HWND dialog, int id, int index);

// The account values typed into the server properties dialog.
struct TypedServer {
    std::string name;
    std::string host;
    std::string id;
    std::string password;
    std::string port; // empty: leave the port as the dialog shows it
};
void TypeServer(HWND dialog, const TypedServer& server);

// Starting with Windows: the current user's logon list
// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run) holds a
// value "Tidemark" with the quoted path of the program. The installer writes
// and removes the same value.
#pragma once

#include <string>

// The value's name in the Run key.
extern const char startupEntryName[];

// True when the Run key names Tidemark (whatever path it gives).
bool IsStartedWithWindows();

// Adds the entry for `program` (this program's path unless given), or
// removes it; removing an entry that is not there succeeds. False when the
// registry refused.
bool SetStartWithWindows(bool start, const std::string& program = "");

// `program` in quotes, as the Run key needs a path that may hold spaces.
std::string StartupCommand(const std::string& program);

// Starting the user's mail client.
#pragma once

#include <windows.h>

#include <string>

// Code 1 "msimn", 2 "outlook", 3 "netscape -mail", any other code `path`.
// The shell opens it without activating it; a failure is reported in a
// message box over `owner`.
void LaunchMailClient(int code, const std::string& path, HWND owner = nullptr);

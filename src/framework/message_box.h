// Message boxes of the program: always topmost, captioned with the
// application name ("Tidemark") unless another caption is given.
#pragma once

#include <windows.h>

#include <string>

int ShowMessage(HWND owner, const std::string& text, UINT flags = MB_OK | MB_ICONINFORMATION);
int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// Message boxes of the program: always topmost, captioned with the
// program's name unless another caption is given.
#pragma once

#include <windows.h>

#include <string>

// The caption of boxes that name none: the application sets its name here
// as it starts; "Tidemark" before that.
void SetMessageCaption(const std::string& caption);

int ShowMessage(HWND owner, const std::string& text, UINT flags = MB_OK | MB_ICONINFORMATION);
int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

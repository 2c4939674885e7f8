// The system's file-open and file-save dialogs. A filter is written as pairs
// of description and patterns between vertical bars, for example
// "Wave 파일 (*.wav)|*.wav|모든 파일 (*.*)|*.*||". Neither dialog changes the
// program's current directory. Both return the chosen full path, or "" when
// the user cancels.
#pragma once

#include <windows.h>

#include <string>

// The chosen file must exist; the read-only box is hidden.
std::string ChooseFileToOpen(HWND owner, const std::string& filter);
// Proposes `initialName`; a name typed without extension gets
// `defaultExtension` (without the dot; "" for none); replacing an existing
// file is asked first.
std::string ChooseFileToSave(HWND owner, const std::string& filter, const std::string& initialName = "",
                             const std::string& defaultExtension = "");

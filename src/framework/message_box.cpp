#include "framework/message_box.h"

#include "framework/application.h"

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    return ShowMessage(owner, text, CApplication::Name(), flags);
}

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags | MB_TOPMOST);
}

#include "framework/message_box.h"

namespace {
std::string defaultCaption = "Tidemark";
} // namespace

void SetMessageCaption(const std::string& caption) {
    defaultCaption = caption;
}

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    return ShowMessage(owner, text, defaultCaption, flags);
}

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags | MB_TOPMOST);
}

#include "dialog_answerer.h"

#include "user_actions.h"

#include <vector>

namespace {

BOOL CALLBACK CollectStatic(HWND child, LPARAM lParam) {
    char className[16] = "", text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    if (std::string(className) == "Static" && GetWindowTextA(child, text, sizeof text) > 0) {
        auto* out = reinterpret_cast<std::string*>(lParam);
        if (!out->empty())
            *out += "\n";
        *out += text;
    }
    return TRUE;
}

} // namespace

CDialogAnswerer::CDialogAnswerer(std::string caption, int buttonId, DWORD milliseconds)
    : caption(std::move(caption)), buttonId(buttonId), milliseconds(milliseconds),
      watcher([this] { Watch(); }) {}

CDialogAnswerer::~CDialogAnswerer() {
    if (watcher.joinable())
        watcher.join();
}

bool CDialogAnswerer::Wait() {
    if (watcher.joinable())
        watcher.join();
    return answered;
}

void CDialogAnswerer::Watch() {
    HWND found = WaitForDialog(caption, milliseconds);
    if (!found)
        return;
    EnumChildWindows(found, CollectStatic, reinterpret_cast<LPARAM>(&text));
    answered = true;
    PostMessageA(found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(found, buttonId)));
}

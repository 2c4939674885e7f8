#include "dialog_answerer.h"

#include <vector>

namespace {

struct Search {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = "", title[256] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "#32770" &&
        *search->caption == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

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
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Search search = {&caption, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            EnumChildWindows(search.found, CollectStatic, reinterpret_cast<LPARAM>(&text));
            answered = true;
            PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.found, buttonId)));
            return;
        }
        Sleep(50);
    }
}

#include "dialog_answerer.h"

#include <algorithm>
#include <vector>

namespace {

struct Search {
    const std::string* caption;
    std::vector<HWND> found;
};

// Collects the visible dialogs of this process with the caption.
BOOL CALLBACK FindDialogs(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = "", title[256] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "#32770" &&
        *search->caption == title)
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> DialogsWithCaption(const std::string& caption) {
    Search search = {&caption, {}};
    EnumWindows(FindDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM lParam) {
    char className[16] = "", text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    bool textControl = std::string(className) == "Static" || std::string(className) == "Edit";
    if (textControl && GetWindowTextA(child, text, sizeof text) > 0) {
        auto* out = reinterpret_cast<std::string*>(lParam);
        if (!out->empty())
            *out += "\n";
        *out += text;
    }
    return TRUE;
}

} // namespace

CDialogAnswerer::CDialogAnswerer(std::string caption, int buttonId, DWORD milliseconds,
                                 std::vector<DialogField> fields)
    : caption(std::move(caption)), buttonId(buttonId), milliseconds(milliseconds), fields(std::move(fields)),
      present(DialogsWithCaption(this->caption)), watcher([this] { Watch(); }) {}

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
        for (HWND found : DialogsWithCaption(caption)) {
            if (std::find(present.begin(), present.end(), found) != present.end())
                continue;
            EnumChildWindows(found, CollectTexts, reinterpret_cast<LPARAM>(&text));
            for (const DialogField& field : fields)
                if (HWND control = GetDlgItem(found, field.id))
                    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(field.text.c_str()));
            answered = true;
            PostMessageA(found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(found, buttonId)));
            return;
        }
        Sleep(50);
    }
}

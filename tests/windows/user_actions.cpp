#include "user_actions.h"

#include "window_test_support.h"

#include <commctrl.h>

#include <algorithm>

namespace {

struct DialogSearch {
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
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

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery) {
    if (delivery == Delivery::Sent)
        SendMessageA(window, message, wParam, lParam);
    else
        PostMessageA(window, message, wParam, lParam);
}

} // namespace

std::vector<HWND> VisibleDialogs(const std::string& caption) {
    DialogSearch search = {&caption, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(const std::string& caption, DWORD milliseconds, const std::vector<HWND>& ignored) {
    HWND found = nullptr;
    PumpMessagesUntil(
        [&] {
            for (HWND dialog : VisibleDialogs(caption))
                if (std::find(ignored.begin(), ignored.end(), dialog) == ignored.end())
                    return (found = dialog) != nullptr;
            return false;
        },
        milliseconds);
    return found;
}

bool WaitUntilClosed(HWND window, DWORD milliseconds) {
    return PumpMessagesUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, milliseconds);
}

void ClickButton(HWND dialog, int id, Delivery delivery) {
    Deliver(GetDlgItem(dialog, id), BM_CLICK, 0, 0, delivery);
}

void PressOn(HWND window, POINT point, Delivery delivery, Press press) {
    const LPARAM where = MAKELPARAM(point.x, point.y);
    for (int click = 0; click < (press == Press::DoubleClick ? 2 : 1); ++click) {
        if (press != Press::Up)
            Deliver(window, click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, where, delivery);
        if (press != Press::Down)
            Deliver(window, WM_LBUTTONUP, 0, where, delivery);
    }
}

void MoveOver(HWND window, POINT point, WPARAM keys) {
    SendMessageA(window, WM_MOUSEMOVE, keys, MAKELPARAM(point.x, point.y));
}

void TypeText(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    // A combo box's edit part reports typing as CBN_EDITCHANGE.
    if (HWND edit = control ? FindWindowExA(control, nullptr, "Edit", nullptr) : nullptr)
        control = edit;
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Edit") != 0) { // the file dialog's extended combo box
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    SendMessageA(control, EM_SETSEL, 0, -1);
    SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TypeKeys(HWND control, const std::wstring& text) {
    for (wchar_t typed : text)
        PostMessageW(control, WM_CHAR, typed, 1);
}

void PressKey(HWND dialog, int id, UINT virtualKey) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(control, WM_KEYUP, virtualKey, 1 | (3u << 30));
    SendMessageA(control, WM_NULL, 0, 0);
}

std::string ControlText(HWND dialog, int id) {
    char text[1024] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool IsTicked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

POINT RowPoint(HWND list, int row, RowPart part) {
    RECT rect = {};
    rect.left = part == RowPart::Label ? LVIR_LABEL : LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    // The check box is the row's state image, at its left end.
    const int x = part == RowPart::Label ? (rect.left + rect.right) / 2 : rect.left + 8;
    return {x, (rect.top + rect.bottom) / 2};
}

std::string RowText(HWND list, int row, int column) {
    char text[512] = "";
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

CUserThread::CUserThread(std::function<void()> act, std::vector<std::string> leftoverCaptions)
    : thread([this, act = std::move(act), captions = std::move(leftoverCaptions)] {
          act();
          // Windows are enumerated topmost first: a nested dialog before its owner.
          for (int tries = 0; tries < 50; ++tries) {
              HWND left = nullptr;
              for (const std::string& caption : captions) {
                  std::vector<HWND> open = VisibleDialogs(caption);
                  if (!left && !open.empty())
                      left = open.front();
              }
              if (!left)
                  break;
              PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
              PostMessageA(left, WM_COMMAND, IDNO, 0); // a yes/no box has no cancel
              Sleep(100);
          }
          done = true;
      }) {}

CUserThread::~CUserThread() {
    Join();
}

void CUserThread::Join() {
    if (!thread.joinable())
        return;
    PumpMessagesUntil([&] { return done.load(); }, INFINITE);
    thread.join();
}

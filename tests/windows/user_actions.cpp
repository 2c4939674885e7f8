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

LPARAM PointParameter(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

// A point inside `row`: its label, or `x` pixels from its left edge.
POINT RowPoint(HWND list, int row, int x = -1) {
    RECT rect = {};
    rect.left = x < 0 ? LVIR_LABEL : LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return {x < 0 ? (rect.left + rect.right) / 2 : rect.left + x, (rect.top + rect.bottom) / 2};
}

void PostMouse(HWND list, POINT point, bool twice) {
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, PointParameter(point));
    PostMessageA(list, WM_LBUTTONUP, 0, PointParameter(point));
    if (twice) {
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParameter(point));
        PostMessageA(list, WM_LBUTTONUP, 0, PointParameter(point));
    }
    // Wait until the list's thread has handled them.
    SendMessageA(list, WM_NULL, 0, 0);
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

void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Type(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    // A combo box's edit part reports typing as CBN_EDITCHANGE.
    HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
    SendMessageA(edit ? edit : control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
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

void ClickRow(HWND list, int row) {
    PostMouse(list, RowPoint(list, row), false);
}

void DoubleClickRow(HWND list, int row) {
    PostMouse(list, RowPoint(list, row), true);
}

void ClickRowCheckBox(HWND list, int row) {
    // The check box is the row's state image, at its left end.
    PostMouse(list, RowPoint(list, row, 8), false);
}

std::string RowText(HWND list, int row, int column) {
    char text[256] = "";
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

#include "framework/window.h"

#include "framework/message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace {
const char objectProperty[] = "TidemarkWindowObject";
}

CWindow::~CWindow() {
    if (handle) {
        HWND window = handle;
        Detach();
        DestroyWindow(window);
    }
}

CWindow* CWindow::FromHandle(HWND window) {
    return window ? static_cast<CWindow*>(GetPropA(window, objectProperty)) : nullptr;
}

void CWindow::Attach(HWND window) {
    handle = window;
    SetPropA(window, objectProperty, this);
}

void CWindow::Detach() {
    if (handle) {
        RemovePropA(handle, objectProperty);
        if (subclassed)
            RemoveWindowSubclass(handle, SubclassProc, 0);
    }
    subclassed = false;
    handle = nullptr;
}

bool CWindow::Subclass(HWND window) {
    if (!window || handle || FromHandle(window))
        return false;
    OnSubclassing(window);
    if (!SetWindowSubclass(window, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    subclassed = true;
    Attach(window);
    return true;
}

LRESULT CALLBACK CWindow::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR object) {
    return reinterpret_cast<CWindow*>(object)->Dispatch(message, wParam, lParam);
}

bool CWindow::ReflectToControl(UINT message, LPARAM lParam, LRESULT& result) {
    if (!lParam)
        return false;
    HWND control = nullptr;
    if (message == WM_NOTIFY)
        control = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    else if (message == WM_DRAWITEM)
        control = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
    CWindow* object = FromHandle(control);
    return object && object != this && object->OnReflectedMessage(message, lParam, result);
}

std::string CWindow::GetItemText(int id) const {
    HWND item = GetItem(id);
    int length = item ? GetWindowTextLengthA(item) : 0;
    if (length <= 0)
        return "";
    std::vector<char> buffer(length + 1);
    int read = GetWindowTextA(item, buffer.data(), length + 1);
    return std::string(buffer.data(), read > 0 ? read : 0);
}

void CWindow::SetItemText(int id, const std::string& text) const {
    SetDlgItemTextA(handle, id, text.c_str());
}

void CWindow::CenterOnWorkArea() const {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT window;
    if (!GetMonitorInfoA(MonitorFromWindow(handle, MONITOR_DEFAULTTOPRIMARY), &monitor) ||
        !GetWindowRect(handle, &window))
        return;
    const RECT& area = monitor.rcWork;
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    // A window larger than the area keeps its top left corner on it.
    const LONG left = area.left + std::max(0L, (area.right - area.left - width) / 2);
    const LONG top = area.top + std::max(0L, (area.bottom - area.top - height) / 2);
    SetWindowPos(handle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    if (ReflectToControl(message, lParam, reflected))
        return reflected;
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), result))
            return result;
        break;
    }
    }
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (subclassed)
        return DefSubclassProc(handle, message, wParam, lParam);
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        ShowMessage(handle, error.what(), MB_OK | MB_ICONSTOP);
    }
    if (message == WM_NCDESTROY) {
        HWND window = handle;
        Detach();
        OnFinalDestroy(window);
    }
    return result;
}

bool CWindow::PreTranslateChain(MSG& message) {
    for (HWND window = message.hwnd; window; window = GetParent(window)) {
        CWindow* object = FromHandle(window);
        if (object && object->PreTranslateMessage(message))
            return true;
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
            break; // GetParent gives a pop-up's owner
    }
    return false;
}

LRESULT CALLBACK CWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindow* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self)
            self->Attach(window);
    }
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}

const char* RegisterFrameworkClass(const char* className, UINT style, HICON icon) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &wc))
        return className;
    wc.style = style;
    wc.lpfnWndProc = CWindow::StaticWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    return className;
}

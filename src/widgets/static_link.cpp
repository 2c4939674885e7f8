#include "widgets/static_link.h"

#include "widgets/web_site.h"

namespace {

bool ShowsText(HWND control) {
    switch (GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
        return true;
    default:
        return false;
    }
}

} // namespace

CStaticLink::~CStaticLink() {
    if (underlineFont)
        DeleteObject(underlineFont);
}

void CStaticLink::OnSubclassing(HWND window) {
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | SS_NOTIFY);
}

bool CStaticLink::OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!handle || reinterpret_cast<HWND>(lParam) != handle)
        return false;
    if (message == WM_CTLCOLORSTATIC) {
        HBRUSH brush = OnColorRequest(reinterpret_cast<HDC>(wParam));
        result = reinterpret_cast<LRESULT>(brush);
        return brush != nullptr;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        OnClicked();
        result = 0;
        return true;
    }
    return false;
}

HBRUSH CStaticLink::OnColorRequest(HDC dc) {
    if (!ShowsText(handle))
        return nullptr;
    if (!underlineFont) {
        auto font = reinterpret_cast<HFONT>(SendMessageA(handle, WM_GETFONT, 0, 0));
        LOGFONTA description = {};
        if (!GetObjectA(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description))
            return nullptr;
        description.lfUnderline = TRUE;
        underlineFont = CreateFontIndirectA(&description);
    }
    if (underlineFont)
        SelectObject(dc, underlineFont);
    SetTextColor(dc, visited ? visitedColor : linkColor);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CStaticLink::OnClicked() {
    if (!OpenWebPage(target.c_str())) {
        MessageBeep(MB_OK);
        return;
    }
    visited = true;
    // The text is drawn transparently, so the parent repaints the background
    // under it first; otherwise the purple would be drawn over the blue.
    HWND parent = GetParent(handle);
    RECT area;
    GetWindowRect(handle, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(parent, &area, TRUE);
    InvalidateRect(handle, nullptr, TRUE);
}

#include "widgets/icon_button.h"

#include <windowsx.h>

namespace {

// A one-pixel frame round `rect`: left and top in `topLeft`, right and
// bottom in `bottomRight` (raised or sunken by the choice of colours).
void DrawEdgeLines(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, topLeft);
    MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    LineTo(dc, rect.left, rect.top);
    LineTo(dc, rect.right, rect.top);
    SetDCPenColor(dc, bottomRight);
    MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    LineTo(dc, rect.right - 1, rect.bottom - 1);
    LineTo(dc, rect.right - 1, rect.top - 1);
    SelectObject(dc, previousPen);
}

} // namespace

void CIconButton::SetIcons(int highlightId, int normalId, int width, int height) {
    icons.Clear();
    highlightIcon = icons.Load(highlightId);
    normalIcon = normalId ? icons.Load(normalId) : highlightIcon;
    iconWidth = width;
    iconHeight = height;
    if (handle)
        Redraw();
}

void CIconButton::OnSubclassing(HWND window) {
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | BS_OWNERDRAW);
}

bool CIconButton::OnReflectedMessage(UINT message, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM)
        return false;
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
}

void CIconButton::Draw(const DRAWITEMSTRUCT& item) const {
    RECT clip;
    if (GetClipBox(item.hDC, &clip) == ERROR || IsRectEmpty(&clip))
        return;
    int width = clip.right - clip.left;
    int height = clip.bottom - clip.top;
    HDC memory = CreateCompatibleDC(item.hDC);
    HBITMAP canvas = memory ? CreateCompatibleBitmap(item.hDC, width, height) : nullptr;
    if (canvas) {
        HGDIOBJ previousBitmap = SelectObject(memory, canvas);
        // The canvas covers the clip box, so drawing keeps the target's coordinates.
        SetWindowOrgEx(memory, clip.left, clip.top, nullptr);
        DrawFace(memory, item);
        BitBlt(item.hDC, clip.left, clip.top, width, height, memory, clip.left, clip.top, SRCCOPY);
        SelectObject(memory, previousBitmap);
        DeleteObject(canvas);
    }
    if (memory)
        DeleteDC(memory);
}

void CIconButton::DrawFace(HDC dc, const DRAWITEMSTRUCT& item) const {
    const RECT& rect = item.rcItem;
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    bool active = pressed || mouseOver;

    SetDCBrushColor(dc, GetSysColor(COLOR_BTNFACE));
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    if (pressed)
        DrawEdgeLines(dc, rect, shadow, highlight);
    else if (mouseOver)
        DrawEdgeLines(dc, rect, highlight, shadow);

    HICON icon = active ? highlightIcon : normalIcon;
    if (!icon)
        return;
    int x = rect.left + (rect.right - rect.left - iconWidth) / 2 + (pressed ? 1 : 0);
    int y = rect.top + (rect.bottom - rect.top - iconHeight) / 2 + (pressed ? 1 : 0);
    UINT state = (item.itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 0, 0, DST_ICON | state);
}

LRESULT CIconButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        LRESULT result = DefaultProc(message, wParam, lParam);
        OnMouseMove(wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return result;
    }
    case WM_KILLFOCUS: {
        LRESULT result = DefaultProc(message, wParam, lParam);
        if (mouseOver) {
            mouseOver = false;
            Redraw();
        }
        return result;
    }
    case WM_CAPTURECHANGED:
        // Without the capture no move outside the button reaches it, so the
        // hover ends here; the capture has already gone to another window,
        // which keeps it.
        if (mouseOver) {
            mouseOver = false;
            Redraw();
        }
        break;
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

void CIconButton::OnMouseMove(WPARAM keys, POINT point) {
    bool leftButtonDown = (keys & MK_LBUTTON) != 0;
    if (leftButtonDown && !mouseOver)
        return; // a drag that enters the button does not light it
    if (GetCapture() != handle) {
        if (GetParent(handle)) {
            mouseOver = true;
            SetCapture(handle);
            Redraw();
        }
        return;
    }
    RECT client;
    GetClientRect(handle, &client);
    if (PtInRect(&client, point))
        return;
    if (mouseOver) {
        mouseOver = false;
        Redraw();
    }
    if (!leftButtonDown)
        ReleaseCapture();
}

void CIconButton::Redraw() const {
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

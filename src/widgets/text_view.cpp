#include "widgets/text_view.h"

#include "framework/screen_dpi.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

const wchar_t className[] = L"TidemarkMessageText";
// Colours of links and of the reader's own grey notes.
constexpr COLORREF linkColour = RGB(0, 0, 204), quietColour = RGB(110, 110, 110);

// The text keeps a small margin from the control's edges.
int Margin() {
    return ScaleToSystemDpi(3);
}

bool IsWordCharacter(char16_t c) {
    return c != u' ' && c != u'\t' && c != u'\n';
}

} // namespace

bool CTextView::Create(HWND parent, const RECT& rect, int id) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), className, &windowClass)) {
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = CWindow::StaticWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
    }
    CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                    rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
    return handle != nullptr;
}

LRESULT CTextView::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(handle, message, wParam, lParam);
}

void CTextView::Show(CRichDocument document) {
    shown = std::move(document);
    RECT client;
    GetClientRect(handle, &client);
    layout.Build(client.right - 2 * Margin());
    anchor = caret = 0;
    scrollTop = 0;
    UpdateScrollBar();
    InvalidateRect(handle, nullptr, FALSE);
}

void CTextView::Wrap() {
    const size_t topRow = layout.RowAt(scrollTop);
    const size_t first = topRow < layout.RowCount() ? layout.Row(topRow).start : 0;
    RECT client;
    GetClientRect(handle, &client);
    layout.Wrap(client.right - 2 * Margin());
    scrollTop = LimitScroll(layout.Row(layout.RowOf(first)).top);
    UpdateScrollBar();
    InvalidateRect(handle, nullptr, FALSE);
}

POINT CTextView::ToText(POINT client) const {
    return POINT{client.x - Margin(), client.y - Margin() + scrollTop};
}

POINT CTextView::ToClient(POINT text) const {
    return POINT{text.x + Margin(), text.y + Margin() - scrollTop};
}

void CTextView::UpdateScrollBar() {
    RECT client;
    GetClientRect(handle, &client);
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL; // the width stays as it is
    bar.nMax = layout.Height() + 2 * Margin() - 1;
    bar.nPage = static_cast<UINT>(std::max<LONG>(client.bottom, 0));
    bar.nPos = scrollTop;
    SetScrollInfo(handle, SB_VERT, &bar, TRUE);
}

int CTextView::LimitScroll(int y) const {
    RECT client;
    GetClientRect(handle, &client);
    return std::max(0, std::min(y, layout.Height() + 2 * Margin() - static_cast<int>(client.bottom)));
}

void CTextView::ScrollTo(int y) {
    y = LimitScroll(y);
    if (y == scrollTop)
        return;
    scrollTop = y;
    UpdateScrollBar();
    InvalidateRect(handle, nullptr, FALSE);
}

void CTextView::OnVerticalScroll(int request) {
    RECT client;
    GetClientRect(handle, &client);
    const int line = fonts.Ascent(StylePlain) + fonts.Descent(StylePlain);
    const int page = std::max(line, static_cast<int>(client.bottom) - line);
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_TRACKPOS;
    switch (request) {
    case SB_LINEUP:
        return ScrollTo(scrollTop - line);
    case SB_LINEDOWN:
        return ScrollTo(scrollTop + line);
    case SB_PAGEUP:
        return ScrollTo(scrollTop - page);
    case SB_PAGEDOWN:
        return ScrollTo(scrollTop + page);
    case SB_TOP:
        return ScrollTo(0);
    case SB_BOTTOM:
        return ScrollTo(layout.Height());
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        GetScrollInfo(handle, SB_VERT, &bar); // the 32-bit place, not the message's 16 bits
        return ScrollTo(bar.nTrackPos);
    }
}

void CTextView::OnKeyDown(UINT key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_UP:
        return OnVerticalScroll(SB_LINEUP);
    case VK_DOWN:
        return OnVerticalScroll(SB_LINEDOWN);
    case VK_PRIOR:
        return OnVerticalScroll(SB_PAGEUP);
    case VK_NEXT:
        return OnVerticalScroll(SB_PAGEDOWN);
    case VK_HOME:
        return OnVerticalScroll(SB_TOP);
    case VK_END:
        return OnVerticalScroll(SB_BOTTOM);
    case 'A':
        if (control)
            Select(0, layout.Text().size());
        return;
    case 'C':
    case VK_INSERT:
        if (control)
            Copy();
        return;
    }
}

void CTextView::Select(size_t from, size_t to) {
    if (from == anchor && to == caret)
        return;
    anchor = from, caret = to;
    InvalidateRect(handle, nullptr, FALSE);
}

std::u16string CTextView::TextBetween(size_t from, size_t to, const std::u16string& lineEnd) const {
    std::u16string text;
    text.reserve(to - from);
    for (size_t at = from; at < to; ++at) {
        if (layout.Text()[at] == u'\n')
            text += lineEnd;
        else
            text += layout.Text()[at];
    }
    return text;
}

void CTextView::Copy() const {
    const std::u16string text = TextBetween(std::min(anchor, caret), std::max(anchor, caret), u"\r\n");
    if (text.empty() || !OpenClipboard(handle))
        return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

void CTextView::Paint(HDC dc, const RECT& area) {
    // Drawn off screen first, so scrolling does not flicker.
    RECT client;
    GetClientRect(handle, &client);
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap =
        CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);
    HGDIOBJ oldFont = GetCurrentObject(buffer, OBJ_FONT);
    FillRect(buffer, &client, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(buffer, TRANSPARENT);
    SetTextAlign(buffer, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    const POINT origin = ToClient(POINT{0, 0});
    for (size_t row = layout.RowAt(ToText(POINT{0, area.top}).y);
         row < layout.RowCount() && origin.y + layout.Row(row).top < area.bottom; ++row)
        PaintRow(buffer, row, origin.x, origin.y + layout.Row(row).top);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, buffer, area.left,
           area.top, SRCCOPY);
    SelectObject(buffer, oldFont);
    SelectObject(buffer, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(buffer);
}

void CTextView::PaintRow(HDC dc, size_t row, int left, int top) {
    // Characters of one run and one selection state are drawn together.
    const size_t from = std::min(anchor, caret), to = std::max(anchor, caret);
    const TextRow& place = layout.Row(row);
    const std::u16string& text = layout.Text();
    size_t start = CTextLayout::none, startRun = 0, end = 0;
    int startX = 0, endX = 0;
    bool selected = false;
    const auto draw = [&] {
        if (start == CTextLayout::none)
            return;
        const TextRun& style = layout.RunOf(start);
        if (selected) {
            RECT cell = {left + startX, top, left + endX, top + place.height};
            FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, selected                   ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                         : !style.link.empty()      ? linkColour
                         : style.style & StyleQuiet ? quietColour
                                                    : GetSysColor(COLOR_WINDOWTEXT));
        fonts.Draw(dc, style.style, POINT{left + startX, top + place.ascent}, &text[start], end - start);
        start = CTextLayout::none;
    };
    layout.ForEachCharacter(row, [&](size_t at, size_t characterRun, int x, int width) {
        const bool inSelection = at >= from && at < to;
        if (start != CTextLayout::none &&
            (characterRun != startRun || inSelection != selected || text[at] == u'\t'))
            draw();
        if (text[at] == u'\t') {
            if (inSelection) {
                RECT cell = {left + x, top, left + x + width, top + place.height};
                FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            return;
        }
        if (start == CTextLayout::none)
            start = at, startRun = characterRun, startX = x, selected = inSelection;
        end = at + 1, endX = x + width;
    });
    draw();
}

size_t CTextView::CharacterAt(POINT point) const {
    return layout.CharacterAt(ToText(point));
}

bool CTextView::HasSelection() const {
    return anchor != caret;
}

LRESULT CTextView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle, &paint);
        Paint(dc, paint.rcPaint);
        EndPaint(handle, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return TRUE; // the painting fills everything
    case WM_SIZE:
        Wrap();
        return 0;
    case WM_VSCROLL:
        OnVerticalScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        const int line = fonts.Ascent(StylePlain) + fonts.Descent(StylePlain);
        if (lines == WHEEL_PAGESCROLL)
            OnVerticalScroll(delta > 0 ? SB_PAGEUP : SB_PAGEDOWN);
        else
            ScrollTo(scrollTop - delta * static_cast<int>(lines) * line / WHEEL_DELTA);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        break;
    case WM_LBUTTONDOWN: {
        SetFocus(handle);
        const size_t at = layout.BoundaryAt(ToText(point));
        Select(wParam & MK_SHIFT ? anchor : at, at);
        selecting = true;
        SetCapture(handle);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (selecting) {
            RECT client;
            GetClientRect(handle, &client);
            if (point.y < 0)
                OnVerticalScroll(SB_LINEUP);
            else if (point.y >= client.bottom)
                OnVerticalScroll(SB_LINEDOWN);
            Select(anchor, layout.BoundaryAt(ToText(point)));
        }
        return 0;
    case WM_CAPTURECHANGED:
        selecting = false;
        return 0;
    case WM_COPY:
        Copy();
        return 0;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(layout.Text().size());
    case WM_GETTEXT: {
        if (wParam == 0)
            return 0;
        const size_t n = std::min(static_cast<size_t>(wParam) - 1, layout.Text().size());
        const std::u16string text = TextBetween(0, n, u"\r");
        std::memcpy(reinterpret_cast<char16_t*>(lParam), text.c_str(), (n + 1) * sizeof(char16_t));
        return static_cast<LRESULT>(n);
    }
    case EM_POSFROMCHAR: {
        const POINT at =
            ToClient(layout.PointOf(std::min(static_cast<size_t>(wParam), layout.Text().size())));
        return MAKELONG(at.x, at.y);
    }
    case WM_LBUTTONUP:
        selecting = false;
        ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK: {
        const size_t at = CharacterAt(point);
        if (at != CTextLayout::none && IsWordCharacter(layout.Text()[at])) {
            size_t from = at, to = at;
            while (from > 0 && IsWordCharacter(layout.Text()[from - 1]))
                --from;
            while (to < layout.Text().size() && IsWordCharacter(layout.Text()[to]))
                ++to;
            Select(from, to);
        }
        return 0;
    }
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

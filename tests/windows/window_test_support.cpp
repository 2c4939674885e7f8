#include "window_test_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

RECT WindowRectIn(HWND parent, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string TempFilePath(const std::string& name) {
    char directory[MAX_PATH] = "";
    GetTempPathA(sizeof directory, directory);
    return directory + name;
}

std::string WindowText(HWND window) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & style) == style;
}

bool IsCenteredOnWorkArea(HWND window) {
    RECT area, place;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window, &place);
    return std::abs((place.left - area.left) - (area.right - place.right)) <= 1 &&
           std::abs((place.top - area.top) - (area.bottom - place.bottom)) <= 1;
}

bool IsShown(HWND window) {
    return HasStyle(window, WS_VISIBLE);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        // `done` may turn true without a message (another thread's flag), so
        // wait in short slices.
        DWORD slice = static_cast<DWORD>(end - now < 20 ? end - now : 20);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

CTestCanvas::CTestCanvas(int width, int height, COLORREF fill) : width(width), height(height) {
    HDC screen = ::GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

CTestCanvas::~CTestCanvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

COLORREF CTestCanvas::Pixel(int x, int y) const {
    return GetPixel(dc, x, y);
}

std::vector<COLORREF> CTestCanvas::Pixels() const {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(Pixel(x, y));
    return pixels;
}

std::vector<COLORREF> RenderOwnerDrawn(HWND control, UINT state) {
    RECT client;
    GetClientRect(control, &client);
    CTestCanvas canvas(client.right, client.bottom, RGB(0, 255, 0));
    DRAWITEMSTRUCT item = {ODT_BUTTON,
                           static_cast<UINT>(GetDlgCtrlID(control)),
                           0,
                           ODA_DRAWENTIRE,
                           state,
                           control,
                           canvas.GetDC(),
                           client,
                           0};
    SendMessageA(GetParent(control), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    return canvas.Pixels();
}

namespace {
struct ToolTipSearch {
    HWND owner;
    HWND tool;
    std::string text;
};

BOOL CALLBACK FindToolTipText(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<ToolTipSearch*>(parameter);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, TOOLTIPS_CLASSA) != 0)
        return TRUE;
    char text[256] = "";
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = search.owner;
    tool.uId = reinterpret_cast<UINT_PTR>(search.tool);
    tool.lpszText = text;
    SendMessageA(window, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    search.text = text;
    return search.text.empty();
}
} // namespace

std::string ToolTipText(HWND owner, HWND tool) {
    ToolTipSearch search = {owner, tool, ""};
    EnumThreadWindows(GetCurrentThreadId(), FindToolTipText, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

std::vector<COLORREF> BitmapPixels(HBITMAP bitmap) {
    BITMAP size = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof size, &size))
        return {};
    CTestCanvas canvas(size.bmWidth, size.bmHeight, RGB(0, 0, 0));
    HDC source = CreateCompatibleDC(canvas.GetDC());
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(canvas.GetDC(), 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    return canvas.Pixels();
}

CTestHost::CTestHost() {
    CreateWindowExA(0, RegisterFrameworkClass("TidemarkTestHost"), "", WS_POPUP | WS_CLIPCHILDREN, 100, 100,
                    400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), this);
}

#include "window_test_support.h"

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT PixelsOf(HWND dialog, DialogUnits units) {
    RECT rect = {units.left, units.top, units.left + units.width, units.top + units.height};
    MapDialogRect(dialog, &rect);
    return rect;
}

std::string WindowText(HWND window) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & style) == style;
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

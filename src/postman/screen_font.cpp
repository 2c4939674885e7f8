#include "postman/screen_font.h"

#include <windows.h>

namespace {
constexpr LONG largestSmallFontHeight = 16;
} // namespace

bool IsSmallFontScreen() {
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    if (!dc)
        return true;
    TEXTMETRICA metrics;
    bool measured = GetTextMetricsA(dc, &metrics) != FALSE;
    ReleaseDC(desktop, dc);
    return !measured || metrics.tmHeight <= largestSmallFontHeight;
}

#include "framework/screen_dpi.h"

#include <windows.h>

namespace {
constexpr int designDpi = 96;

int ReadSystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : designDpi;
}
} // namespace

int SystemDpi() {
    // A system-aware process keeps the DPI it started with until it ends.
    static const int dpi = ReadSystemDpi();
    return dpi;
}

int ScaleToSystemDpi(int pixels) {
    return MulDiv(pixels, SystemDpi(), designDpi);
}

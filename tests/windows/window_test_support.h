// Helpers for tests that look at real windows: control positions, pictures rendered into memory, message
// pumping, and a plain framework window to host controls.
#pragma once

#include "framework/application.h"
#include "framework/window.h"
#include "test_support.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The rectangle of `child` in `parent`'s client coordinates, in pixels.
RECT WindowRectIn(HWND parent, HWND child);

std::string WindowText(HWND window);
bool HasStyle(HWND window, LONG_PTR style);
// The window's own visible style, whether or not its parent is shown.
bool IsShown(HWND window);
// True when the window stands in the middle of the primary work area (to a pixel).
bool IsCenteredOnWorkArea(HWND window);

// `name` in the temporary directory.
std::string TempFilePath(const std::string& name);

// Dispatches every message waiting for this thread.
void PumpMessages();
// Dispatches this thread's messages until `done` holds (true) or
// `milliseconds` pass (false).
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// A 32-bit memory bitmap to draw into, filled with one colour first.
class CTestCanvas {
  public:
    CTestCanvas(int width, int height, COLORREF fill);
    ~CTestCanvas();
    CTestCanvas(const CTestCanvas&) = delete;
    CTestCanvas& operator=(const CTestCanvas&) = delete;

    HDC GetDC() const { return dc; }
    int Width() const { return width; }
    int Height() const { return height; }
    COLORREF Pixel(int x, int y) const;
    // Every pixel, row by row.
    std::vector<COLORREF> Pixels() const;

  private:
    int width;
    int height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

// What an owner-drawn control draws, in its client size and row by row,
// when its parent gets WM_DRAWITEM with `state` (ODS_ bits).
std::vector<COLORREF> RenderOwnerDrawn(HWND control, UINT state = 0);

// The tool-tip text that a tool-tip window holds for `tool` of `owner`, from
// any tool-tip window of this thread.
std::string ToolTipText(HWND owner, HWND tool);

// The pixels of a bitmap, row by row.
std::vector<COLORREF> BitmapPixels(HBITMAP bitmap);

// A hidden top-level framework window, as parent for controls and pages.
class CTestHost : public CWindow {
  public:
    CTestHost();
};

// An application object for tests that need one (the registry profile, the
// main window) without running the program's start-up.
using CTestApplication = CApplication;

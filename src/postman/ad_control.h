// The advertisement pane of the postman window. No advertising library is
// part of this program: the pane's host shows the state of the checks.
#pragma once

#include <windows.h>

// Keeps the call of the pane's creation in one place. `clientId`, the
// position and the size are accepted as given and not used; the result is
// the host window itself, which the caller keeps as the pane's handle.
HWND AdCreateControl(const char* clientId, HWND host, int x, int y, int width, int height);

/* The yardstick of the start-up benchmark: the least a Win32 program does to
   sit in the notification area (one hidden window, one tray icon). */
#include <windows.h>
#include <shellapi.h>

static NOTIFYICONDATAA icon;

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        icon.cbSize = sizeof icon;
        icon.hWnd = window;
        icon.uFlags = NIF_ICON | NIF_TIP;
        icon.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
        lstrcpyA(icon.szTip, "Minimal");
        return Shell_NotifyIconA(NIM_ADD, &icon) ? 0 : -1;
    case WM_DESTROY:
        Shell_NotifyIconA(NIM_DELETE, &icon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous, (void)commandLine, (void)show;
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "MinimalTray";
    RegisterClassA(&wc);
    if (!CreateWindowA("MinimalTray", "Minimal", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL, NULL, instance, NULL))
        return 1;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

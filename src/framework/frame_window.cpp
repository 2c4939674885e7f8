#include "framework/frame_window.h"

#include "framework/application.h"

void CCommandUpdate::SetText(const std::string& text) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, position, TRUE, &info);
}

void CCommandUpdate::SetCheck(bool checked) {
    CheckMenuItem(menu, position, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CCommandUpdate::Enable(bool enabled) {
    EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool CFrameWindow::Create(const std::string& title, DWORD style, int menuId) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const char* className = RegisterFrameworkClass("TidemarkFrame");
    HMENU menu = menuId ? LoadMenuA(instance, MAKEINTRESOURCEA(menuId)) : nullptr;
    HWND window = CreateWindowExA(0, className, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, this);
    if (!window && menu)
        DestroyMenu(menu);
    return window != nullptr;
}

void CFrameWindow::UpdateMenuItems(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        UINT id = GetMenuItemID(menu, position);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue; // separator or sub-menu
        CCommandUpdate item(menu, position, static_cast<int>(id));
        OnUpdateCommand(item);
    }
}

LRESULT CFrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_INITMENUPOPUP:
        UpdateMenuItems(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        if (CApplication::Get() && CApplication::Get()->GetMainWindow() == handle)
            PostQuitMessage(0);
        return 0;
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

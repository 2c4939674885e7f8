#include "widgets/tool_tips.h"

#include <commctrl.h>

CToolTips::~CToolTips() {
    if (window)
        DestroyWindow(window);
}

bool CToolTips::Create() {
    window = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    return window != nullptr;
}

void CToolTips::SetTip(HWND owner, HWND control, const std::string& text) {
    if (!window)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(window, TTM_DELTOOLA, 0,
                 reinterpret_cast<LPARAM>(&tool)); // nothing to remove the first time
    SendMessageA(window, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

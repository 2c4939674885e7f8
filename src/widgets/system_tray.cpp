#include "widgets/system_tray.h"

#include "framework/application.h"
#include "framework/message_box.h"

#include <cstring>
#include <new>

namespace {

constexpr UINT_PTR animationTimer = 4567;
constexpr UINT addFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT koreanCodePage = 949;
// How long a balloon stays; the shell bounds it to its own limits.
constexpr UINT balloonTimeoutMs = 10000;

// Broadcast by the shell when the taskbar is (re-)created; icons must be added again.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// Copies at most `maxBytes` of `text` into a field (of more bytes), whole
// characters only, and zero-fills the rest. The text is walked from its
// start because a trail byte may look like a lead byte.
void CopyShellText(const std::string& text, size_t maxBytes, char* field, size_t fieldSize) {
    size_t length = 0;
    while (length < text.size()) {
        bool pair =
            IsDBCSLeadByteEx(koreanCodePage, static_cast<BYTE>(text[length])) && length + 1 < text.size();
        size_t next = length + (pair ? 2 : 1);
        if (next > maxBytes)
            break;
        length = next;
    }
    std::memset(field, 0, fieldSize);
    std::memcpy(field, text.data(), length);
}

// The tray menu resource, loaded for one use.
class CLoadedMenu {
  public:
    explicit CLoadedMenu(UINT id) : menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))) {}
    CLoadedMenu(const CLoadedMenu&) = delete;
    CLoadedMenu& operator=(const CLoadedMenu&) = delete;
    ~CLoadedMenu() {
        if (menu)
            DestroyMenu(menu);
    }

    // The popup that is shown, or null when the resource has none.
    HMENU FirstPopup() const { return menu ? GetSubMenu(menu, 0) : nullptr; }

  private:
    HMENU menu;
};

} // namespace

CSystemTray::~CSystemTray() {
    RemoveTrayIcon();
    if (handle)
        DestroyWindow(handle); // also ends the animation timer
}

bool CSystemTray::CreateTrayIcon(HWND parent, UINT callbackMessage, const std::string& tooltip, HICON icon,
                                 UINT iconId, bool startHidden) {
    // Without a notification area (shell major version below 4) no window is
    // made, and every operation that talks to the shell fails.
    if (IsCreated() || LOBYTE(LOWORD(GetVersion())) < 4)
        return false;
    // A top-level window, not a message-only one: those miss the
    // "TaskbarCreated" and WM_SETTINGCHANGE broadcasts.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!CreateWindowExA(0, RegisterFrameworkClass("TidemarkTray"), "", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, instance, this))
        return false;
    notifyData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    notifyData.hWnd = parent ? parent : handle;
    notifyData.uID = iconId;
    notifyData.uCallbackMessage = callbackMessage;
    notifyData.hIcon = icon;
    CopyShellText(tooltip, maxTooltipBytes, notifyData.szTip, sizeof notifyData.szTip);
    return startHidden || AddIcon();
}

bool CSystemTray::AddIcon() {
    notifyData.uFlags = addFlags;
    bool added = NotifyShell(NIM_ADD, notifyData);
    hidden = addPending = !added;
    return added;
}

bool CSystemTray::ShowBalloon(const std::string& title, const std::string& text, UINT clickCommand) {
    if (!IsCreated() || hidden)
        return false;
    balloonCommand = clickCommand;
    // The balloon's fields come with the second version of the record; the
    // icon itself keeps the first.
    NOTIFYICONDATAA balloon = notifyData;
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.uFlags = NIF_INFO;
    CopyShellText(title, sizeof balloon.szInfoTitle - 1, balloon.szInfoTitle, sizeof balloon.szInfoTitle);
    CopyShellText(text, sizeof balloon.szInfo - 1, balloon.szInfo, sizeof balloon.szInfo);
    balloon.dwInfoFlags = NIIF_INFO;
    balloon.uTimeout = balloonTimeoutMs;
    return NotifyShell(NIM_MODIFY, balloon);
}

bool CSystemTray::RemoveTrayIcon() {
    addPending = false;
    if (!IsCreated() || hidden)
        return true;
    notifyData.uFlags = 0;
    hidden = NotifyShell(NIM_DELETE, notifyData);
    return hidden;
}

void CSystemTray::ReinstallIcon() {
    if (hidden && !addPending)
        return;
    if (AddIcon())
        return;
    // A work-area change leaves the icon in place, and the shell refuses to
    // add it twice; if it still takes changes, it is shown.
    notifyData.uFlags = addFlags;
    if (NotifyShell(NIM_MODIFY, notifyData))
        hidden = addPending = false;
}

bool CSystemTray::NotifyShell(DWORD message, const NOTIFYICONDATAA& data) {
    return Shell_NotifyIconA(message, const_cast<NOTIFYICONDATAA*>(&data)) != FALSE;
}

bool CSystemTray::SetTrayIcon(HICON icon) {
    if (!IsCreated() || !icon)
        return false;
    notifyData.uFlags = NIF_ICON;
    notifyData.hIcon = icon;
    return hidden || NotifyShell(NIM_MODIFY, notifyData);
}

HICON CSystemTray::LoadIconResource(UINT id) {
    return loadedIcons.Load(id);
}

bool CSystemTray::SetTrayIconResource(UINT id) {
    HICON icon = LoadIconResource(id);
    return icon && SetTrayIcon(icon);
}

HICON CSystemTray::GetTrayIcon() const {
    return IsCreated() ? notifyData.hIcon : nullptr;
}

std::string CSystemTray::GetTrayTooltip() const {
    return IsCreated() ? std::string(notifyData.szTip) : std::string();
}

bool CSystemTray::SetTrayTooltip(const std::string& text) {
    if (!IsCreated())
        return false;
    notifyData.uFlags = NIF_TIP;
    CopyShellText(text, maxTooltipBytes, notifyData.szTip, sizeof notifyData.szTip);
    return hidden || NotifyShell(NIM_MODIFY, notifyData);
}

bool CSystemTray::SetAnimationIcons(UINT first, UINT last) {
    animationIcons.clear();
    if (last < first)
        return false;
    std::vector<HICON> frames;
    try {
        for (UINT id = first;; ++id) {
            HICON icon = LoadIconResource(id);
            if (!icon)
                return false;
            frames.push_back(icon);
            if (id == last)
                break;
        }
    } catch (const std::bad_alloc&) {
        ShowMessage(nullptr, "메모리가 부족합니다.", MB_OK | MB_ICONSTOP);
        return false;
    }
    return SetAnimationIcons(std::move(frames));
}

bool CSystemTray::SetAnimationIcons(std::vector<HICON> frames) {
    animationIcons.clear();
    for (HICON frame : frames)
        if (!frame)
            return false;
    animationIcons = std::move(frames);
    return true;
}

bool CSystemTray::StartIconAnimation(UINT frameDelay, int periodSeconds) {
    StopIconAnimation();
    if (!IsCreated())
        return false;
    currentFrame = 0;
    animationStart = std::chrono::steady_clock::now();
    animationPeriodSeconds = periodSeconds;
    savedIcon = GetTrayIcon();
    animationTimerId = SetTimer(handle, animationTimer, frameDelay, nullptr);
    return animationTimerId != 0;
}

bool CSystemTray::StopIconAnimation() {
    bool killed = animationTimerId != 0 && KillTimer(handle, animationTimerId);
    animationTimerId = 0;
    if (savedIcon)
        SetTrayIcon(savedIcon);
    savedIcon = nullptr;
    return killed;
}

bool CSystemTray::ShowNextAnimationFrame() {
    if (animationIcons.empty())
        return false;
    currentFrame = (currentFrame + 1) % animationIcons.size();
    return SetTrayIcon(animationIcons[currentFrame]);
}

void CSystemTray::OnAnimationTimer(UINT_PTR id) {
    if (animationTimerId == 0 || id != animationTimerId)
        return;
    auto elapsed = std::chrono::steady_clock::now() - animationStart;
    if (animationPeriodSeconds > 0 &&
        std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() > animationPeriodSeconds)
        StopIconAnimation();
    else
        ShowNextAnimationFrame();
}

bool CSystemTray::SetDefaultMenuItem(UINT item, bool byPosition) {
    if (item == defaultMenuItem && byPosition == defaultMenuItemByPosition)
        return true;
    defaultMenuItem = item;
    defaultMenuItemByPosition = byPosition;
    // The item takes effect whenever the menu is shown; here only check that it loads.
    return CLoadedMenu(notifyData.uID).FirstPopup() != nullptr;
}

LRESULT CSystemTray::HandleTrayMessage(WPARAM wParam, LPARAM lParam) {
    if (wParam != notifyData.uID)
        return 0;
    CApplication* application = CApplication::Get();
    HWND target = application ? application->GetMainWindow() : nullptr;
    if (!target)
        return 0;
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP:
        return ShowTrayMenu(target) ? 1 : 0;
    case WM_LBUTTONDBLCLK:
        return RunDefaultCommand(target) ? 1 : 0;
    case NIN_BALLOONUSERCLICK:
        if (balloonCommand != 0)
            SendMessageA(target, WM_COMMAND, MAKEWPARAM(balloonCommand, 0), 0);
        return 1;
    }
    return 1;
}

bool CSystemTray::ShowTrayMenu(HWND target) {
    CLoadedMenu menu(notifyData.uID);
    HMENU popup = menu.FirstPopup();
    if (!popup)
        return false;
    SetMenuDefaultItem(popup, defaultMenuItem, defaultMenuItemByPosition);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the WM_NULL afterwards lets a second right-click work
    // (Microsoft's documented TrackPopupMenu workaround for tray menus).
    SetForegroundWindow(target);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, target, nullptr);
    PostMessageA(target, WM_NULL, 0, 0);
    return true;
}

bool CSystemTray::RunDefaultCommand(HWND target) {
    SetForegroundWindow(target);
    UINT command = defaultMenuItem;
    if (defaultMenuItemByPosition) {
        CLoadedMenu menu(notifyData.uID);
        HMENU popup = menu.FirstPopup();
        if (!popup)
            return false;
        command = GetMenuItemID(popup, static_cast<int>(defaultMenuItem));
    }
    // A separator (0), a sub-menu or a position past the end (-1) runs nothing.
    if (command != 0 && command != static_cast<UINT>(-1))
        SendMessageA(target, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return true;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (notifyData.uCallbackMessage != 0 && message == notifyData.uCallbackMessage)
        return HandleTrayMessage(wParam, lParam);
    if (message != 0 && message == TaskbarCreatedMessage()) {
        ReinstallIcon();
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        OnAnimationTimer(wParam);
        return 0;
    case WM_SETTINGCHANGE: {
        LRESULT result = CWindow::WindowProc(message, wParam, lParam);
        if (wParam == SPI_SETWORKAREA)
            ReinstallIcon();
        return result;
    }
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

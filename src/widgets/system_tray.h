// The program's icon in the taskbar notification area.
//
// A hidden window of its own receives the shell's callback messages: a
// right-button release shows the tray menu, a left double click runs the
// menu's default command, and the icon is put back when the taskbar is
// re-created ("TaskbarCreated") or the work area changes. While a mail check
// runs the icon can cycle through animation frames on a window timer.
//
// The tray menu is the menu resource whose id equals the icon id; its first
// popup is shown. Commands never stop here: the popup is shown with the
// application's main window as owner, so that window gets WM_INITMENUPOPUP
// first (a CFrameWindow updates item texts and check marks there through
// OnUpdateCommand) and then the chosen WM_COMMAND; the double-click command
// is sent to it as WM_COMMAND.
//
// Threads: use an object only on the thread that created it (the window
// timer and the callbacks belong to that thread). A worker hands its
// requests to the user-interface thread in order (CUiThread::Run).
//
// How the main frame uses it (one member for the life of the process):
//   creation:   if (!trayIcon.CreateTrayIcon(nullptr, 0x800A, "Tidemark - 메일이 없습니다",
//                                          trayIcon.LoadIconResource(160), IDR_TRAY_MENU))
//                   return -1;
//               paused: SetTrayIconResource(164) and its tooltip;
//               then SetDefaultMenuItem(settings.DefaultItem, true).
//   check:      SetTrayTooltip("Tidemark - 메일 체크 중..."); SetAnimationIcons(161, 162);
//               StartIconAnimation(300, -1);
//   check end:  StopIconAnimation(); then SetTrayIconResource(160 or 163) and the tooltip.
#pragma once

#include "framework/window.h"
#include "widgets/icon_resources.h"

#include <shellapi.h>

#include <chrono>
#include <string>
#include <vector>

class CSystemTray : public CWindow {
  public:
    // Bytes a tooltip keeps; the shell's field adds the terminating zero.
    static constexpr size_t maxTooltipBytes = 63;

    CSystemTray() = default;
    // Removes the icon, stops the animation, destroys the hidden window and
    // every icon loaded through LoadIconResource.
    ~CSystemTray() override;

    // Creates the hidden window and, unless `startHidden`, adds the icon.
    // Callbacks go to `parent` when given, else to the hidden window. False
    // when the shell has no notification area (major version below 4), when
    // called a second time, or when the add fails; a failed add is retried at
    // the next taskbar re-creation or work-area change.
    bool CreateTrayIcon(HWND parent, UINT callbackMessage, const std::string& tooltip, HICON icon,
                        UINT iconId, bool startHidden = false);
    // Deletes the icon from the notification area; true when it is gone.
    bool RemoveTrayIcon();

    // Replaces the icon (the caller keeps ownership of `icon`, which must
    // outlive its use here). While the icon is not shown the handle is kept
    // for the next add. False before creation or for a null handle.
    bool SetTrayIcon(HICON icon);
    // Shows icon resource `id`; false, with the icon unchanged, when missing.
    bool SetTrayIconResource(UINT id);
    // The icon resource `id`, loaded once and owned by the tray; null when missing.
    HICON LoadIconResource(UINT id);
    // The icon shown, or null before creation.
    HICON GetTrayIcon() const;
    // The tooltip shown, or "" before creation.
    std::string GetTrayTooltip() const;
    // Replaces the tooltip, cut to maxTooltipBytes without splitting a
    // code page 949 character.
    bool SetTrayTooltip(const std::string& text);

    // Shows a balloon with an information icon from the icon, its title cut
    // to 63 bytes and its text to 255 as the tooltip is; a click on it sends `clickCommand` to the main
    // window as WM_COMMAND. False when the icon is not shown.
    bool ShowBalloon(const std::string& title, const std::string& text, UINT clickCommand);

    // Frames of the animation: icon resources `first` to `last`. False, with
    // no frames, when `last` is below `first` or one of them is missing.
    bool SetAnimationIcons(UINT first, UINT last);
    // Frames given as handles the caller keeps alive; false, with no frames,
    // when one of them is null.
    bool SetAnimationIcons(std::vector<HICON> frames);
    // Stops a running animation, remembers the icon shown now and shows the
    // next frame every `frameDelay` ms, starting with the second frame. A
    // positive `periodSeconds` ends it after that many seconds; otherwise it
    // runs until stopped.
    bool StartIconAnimation(UINT frameDelay, int periodSeconds);
    // Stops the animation and shows the icon remembered at its start. False
    // when no animation ran. Callers set the final icon after this.
    bool StopIconAnimation();
    // Shows the next frame; false when there are none.
    bool ShowNextAnimationFrame();

    // The item a double click runs and the menu shows in bold: a zero-based
    // position in the tray menu's popup, or a command id. Call after
    // CreateTrayIcon; false when the tray menu cannot be loaded.
    bool SetDefaultMenuItem(UINT item, bool byPosition);

    // The shell's callback for the icon: `wParam` is the icon id, the low word
    // of `lParam` the mouse message or the balloon's NIN_BALLOONUSERCLICK. Returns 0 when the message is for
    // another icon, there is no main window or the tray menu cannot be loaded; else 1.
    virtual LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Hands `data` to the shell (NIM_ADD, NIM_MODIFY or NIM_DELETE); a subclass
    // may observe or replace the shell here.
    virtual bool NotifyShell(DWORD message, const NOTIFYICONDATAA& data);

  private:
    // Not in the notification area: not yet added, created hidden, removed,
    // or the add failed. The shell is only asked to change a shown icon.
    bool hidden = true;
    // An add failed; the next taskbar or work-area notice tries again.
    bool addPending = false;
    NOTIFYICONDATAA notifyData = {};

    CIconResources loadedIcons;
    std::vector<HICON> animationIcons;
    UINT_PTR animationTimerId = 0;
    size_t currentFrame = 0;
    std::chrono::steady_clock::time_point animationStart;
    int animationPeriodSeconds = 0;
    HICON savedIcon = nullptr;

    UINT balloonCommand = 0;
    UINT defaultMenuItem = 0;
    bool defaultMenuItemByPosition = true;

    bool AddIcon();
    void ReinstallIcon();
    void OnAnimationTimer(UINT_PTR id);
    bool ShowTrayMenu(HWND target);
    bool RunDefaultCommand(HWND target);
};

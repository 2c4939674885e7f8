// What the tray tests share: a frame standing in for the main frame, a tray
// whose shell calls are recorded, and the fixture that owns both.
#pragma once

#include "widgets/system_tray.h"

#include "framework/application.h"
#include "framework/frame_window.h"
#include "resource.h"

#include "user_actions.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

inline constexpr UINT callbackMessage = 0x800A;
inline constexpr UINT trayIconId = IDR_TRAY_MENU;
inline constexpr UINT missingIconResource = 999;
inline constexpr UINT checkingIcons[] = {161, 162};
inline constexpr UINT newMailIcon = 163;

// Stands in for the main frame: records the commands and the tray menu it is
// given, and closes the menu by choosing "프로그램 멈춤(&D)" with its mnemonic.
class COwnerFrame : public CFrameWindow {
  public:
    std::vector<int> commands;
    int nullMessages = 0;
    bool menuShown = false;
    int menuDefaultPosition = -1;
    std::string menuFirstItemText;
    bool menuPauseChecked = false;

  protected:
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        return true;
    }
    void OnUpdateCommand(CCommandUpdate& item) override {
        if (item.GetId() == ID_CHECK_NOW)
            item.SetText("메일 체크 중지(&S)");
        if (item.GetId() == ID_PAUSE)
            item.SetCheck(true);
    }
    // Safety net: a menu that ignores the key still ends.
    void OnTimer(UINT_PTR) override { EndMenu(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NULL)
            ++nullMessages;
        LRESULT result = CFrameWindow::WindowProc(message, wParam, lParam);
        if (message == WM_INITMENUPOPUP && !menuShown)
            RecordMenu(reinterpret_cast<HMENU>(wParam));
        return result;
    }

  private:
    void RecordMenu(HMENU menu) {
        menuShown = true;
        menuDefaultPosition = static_cast<int>(GetMenuDefaultItem(menu, TRUE, 0));
        char text[64] = {};
        GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
        menuFirstItemText = text;
        menuPauseChecked = (GetMenuState(menu, 5, MF_BYPOSITION) & MF_CHECKED) != 0;
        TypeKeys(handle, L"d");
        SetTimer(handle, 1, 5000, nullptr);
    }
};

// A tray whose shell calls are recorded instead of reaching the shell.
class CRecordingTray : public CSystemTray {
  public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAA data;
    };
    std::vector<Call> calls;
    bool shellAcceptsAdd = true;
    bool shellAcceptsModify = true;

    // The base destructor would reach the real shell: remove while still recording.
    ~CRecordingTray() override { RemoveTrayIcon(); }

  protected:
    bool NotifyShell(DWORD message, const NOTIFYICONDATAA& data) override {
        calls.push_back({message, data});
        if (message == NIM_ADD)
            return shellAcceptsAdd;
        if (message == NIM_MODIFY)
            return shellAcceptsModify;
        return true;
    }
};

// The tooltip up to its first zero; "<not zero-filled>" when a byte after it
// but within the 64 the shell reads is not zero.
inline std::string TooltipOf(const NOTIFYICONDATAA& data) {
    std::string text(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    for (size_t i = text.size(); i < 64; ++i)
        if (data.szTip[i] != 0)
            return "<not zero-filled>";
    return text;
}

inline HICON SystemIcon(LPCSTR id) {
    return LoadIconA(nullptr, id);
}

// Asks the shell itself about the icon (window, id): it accepts a change or a
// delete only for an icon it has.
inline bool ShellAccepts(DWORD message, HWND window, UINT id) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    return Shell_NotifyIconA(message, &data) != FALSE;
}

class SystemTrayTest : public testing::Test {
  protected:
    CTestApplication application;
    COwnerFrame owner;
    CRecordingTray tray;

    void SetUp() override {
        ASSERT_TRUE(owner.Create("Tray owner", WS_OVERLAPPEDWINDOW));
        application.SetMainWindow(owner.GetHandle());
    }
    void TearDown() override {
        // A frame that is the main window would post WM_QUIT when destroyed.
        application.SetMainWindow(nullptr);
        PumpMessages();
    }

    bool CreateTray(bool hidden = false) {
        return tray.CreateTrayIcon(nullptr, callbackMessage, "Tidemark - 메일이 없습니다",
                                   SystemIcon(IDI_APPLICATION), trayIconId, hidden);
    }
    LRESULT ShellCallback(UINT mouseMessage, UINT iconId = trayIconId) {
        return SendMessageA(tray.GetHandle(), callbackMessage, iconId, mouseMessage);
    }
    void Broadcast(UINT message, WPARAM wParam = 0) { SendMessageA(tray.GetHandle(), message, wParam, 0); }
    const NOTIFYICONDATAA& LastShellData() { return tray.calls.back().data; }
};

inline UINT TaskbarCreated() {
    return RegisterWindowMessageA("TaskbarCreated");
}

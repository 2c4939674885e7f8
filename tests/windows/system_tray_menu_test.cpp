// The tray icon's mouse callbacks: the double-click default item and the menu.
#include "system_tray_test_support.h"

TEST_F(SystemTrayTest, DoubleClickSendsTheDefaultItemsCommandToTheMainWindow) {
    ASSERT_TRUE(CreateTray());
    EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(tray.SetDefaultMenuItem(2, true));
    EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(tray.SetDefaultMenuItem(ID_OPTIONS, false));
    EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK), 1);
    for (UINT position : {1u, 6u, 42u}) { // separator, sub-menu, past the end: nothing to run
        ASSERT_TRUE(tray.SetDefaultMenuItem(position, true));
        EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK), 1);
    }
    EXPECT_EQ(owner.commands, (std::vector<int>{ID_CHECK_NOW, ID_SHOW_POSTMAN, ID_OPTIONS}));
}

TEST_F(SystemTrayTest, CallbacksForAnotherIconOrOtherMouseMessagesDoNothing) {
    ASSERT_TRUE(CreateTray());
    EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK, trayIconId + 1), 0);
    EXPECT_EQ(ShellCallback(WM_RBUTTONUP, trayIconId + 1), 0);
    EXPECT_EQ(ShellCallback(WM_MOUSEMOVE), 1);
    EXPECT_EQ(ShellCallback(WM_LBUTTONUP), 1);
    PumpMessages();
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_FALSE(owner.menuShown);
}

TEST_F(SystemTrayTest, WithoutItsMenuResourceTheIconShowsNoMenuAndRunsNothing) {
    ASSERT_TRUE(tray.CreateTrayIcon(nullptr, callbackMessage, "Tidemark", SystemIcon(IDI_APPLICATION), 131));
    EXPECT_FALSE(tray.SetDefaultMenuItem(2, true));
    EXPECT_EQ(ShellCallback(WM_LBUTTONDBLCLK, 131), 0);
    EXPECT_EQ(ShellCallback(WM_RBUTTONUP, 131), 0);
    PumpMessages();
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_FALSE(owner.menuShown);
}

TEST_F(SystemTrayTest, RightClickShowsTheOwnersUpdatedMenuWithTheDefaultItemAndPostsTheChoice) {
    ASSERT_TRUE(CreateTray());
    ASSERT_TRUE(tray.SetDefaultMenuItem(2, true));
    EXPECT_EQ(ShellCallback(WM_RBUTTONUP), 1);
    ASSERT_TRUE(owner.menuShown);
    EXPECT_EQ(owner.menuDefaultPosition, 2);
    EXPECT_EQ(owner.menuFirstItemText, "메일 체크 중지(&S)");
    EXPECT_TRUE(owner.menuPauseChecked);
    EXPECT_TRUE(PumpMessagesUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_PAUSE});
    EXPECT_GE(owner.nullMessages, 1);
}

TEST_F(SystemTrayTest, ABalloonNamesTheMailAndItsClickSendsItsCommand) {
    ASSERT_TRUE(CreateTray());
    const std::string longText(300, 'a');
    ASSERT_TRUE(tray.ShowBalloon("회사", longText, ID_SHOW_POSTMAN));
    const NOTIFYICONDATAA& balloon = LastShellData();
    EXPECT_EQ(tray.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_GE(balloon.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(std::string(balloon.szInfoTitle), "회사");
    EXPECT_EQ(std::string(balloon.szInfo), longText.substr(0, 255));
    EXPECT_EQ(ShellCallback(NIN_BALLOONUSERCLICK), 1);
    EXPECT_EQ(owner.commands, std::vector<int>{ID_SHOW_POSTMAN});
}

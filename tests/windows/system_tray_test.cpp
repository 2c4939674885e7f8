// The tray icon and the shell: creation, tooltip, a restarting taskbar.
#include "system_tray_test_support.h"

TEST_F(SystemTrayTest, TooltipKeepsAtMost63BytesAndNeverHalfAKoreanCharacter) {
    ASSERT_TRUE(CreateTray());
    ASSERT_EQ(std::string("가"), "\xB0\xA1");
    ASSERT_EQ(std::string("갂"), "\x81\x41"); // trail byte in the ASCII range
    struct {
        std::string text;
        size_t kept;
    } cases[] = {
        {std::string(70, 'a'), 63},
        {std::string(62, 'a') + "가", 62}, // byte 63 would be a lead byte
        // 0xA1 is also a lead byte value, but here it ends the pair at byte 63.
        {std::string(61, 'a') + "가", 63},
        {std::string(61, 'a') + "갂", 63},
        {std::string(60, 'a') + "갂갂", 62},
    };
    for (const auto& test : cases) {
        ASSERT_TRUE(tray.SetTrayTooltip(test.text));
        const NOTIFYICONDATAA& data = LastShellData();
        EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_EQ(TooltipOf(data), test.text.substr(0, test.kept)) << test.text.size();
    }
    ASSERT_TRUE(tray.SetTrayTooltip("Tidemark"));
    EXPECT_EQ(TooltipOf(LastShellData()), "Tidemark");
}

TEST_F(SystemTrayTest, CreationAddsTheIconWithItsCallbackIconAndTooltip) {
    HICON icon = SystemIcon(IDI_APPLICATION);
    EXPECT_FALSE(tray.SetTrayIcon(icon)); // nothing to change before creation
    EXPECT_FALSE(tray.SetTrayTooltip("Tidemark"));
    EXPECT_EQ(tray.GetTrayIcon(), nullptr);

    ASSERT_TRUE(CreateTray());
    ASSERT_FALSE(tray.calls.empty());
    const CRecordingTray::Call& add = tray.calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.data.hWnd, tray.GetHandle());
    EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, callbackMessage);
    EXPECT_EQ(add.data.hIcon, icon);
    EXPECT_EQ(TooltipOf(add.data), "Tidemark - 메일이 없습니다");
    EXPECT_EQ(tray.GetTrayIcon(), icon);
    EXPECT_FALSE(CreateTray()); // one icon per object

    HICON other = SystemIcon(IDI_WARNING);
    ASSERT_TRUE(tray.SetTrayIcon(other));
    EXPECT_EQ(tray.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(LastShellData().uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(LastShellData().hIcon, other);
    EXPECT_FALSE(tray.SetTrayIcon(nullptr));
    EXPECT_EQ(tray.GetTrayIcon(), other);
}

TEST_F(SystemTrayTest, AnIconCreatedHiddenStaysAwayAndKeepsItsChanges) {
    ASSERT_TRUE(CreateTray(true));
    HICON icon = SystemIcon(IDI_WARNING);
    EXPECT_TRUE(tray.SetTrayIcon(icon));
    EXPECT_TRUE(tray.SetTrayTooltip("Tidemark"));
    Broadcast(TaskbarCreated());
    Broadcast(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_TRUE(tray.calls.empty());
    EXPECT_EQ(tray.GetTrayIcon(), icon);
}

TEST_F(SystemTrayTest, AFailedAddIsRetriedWhenTheTaskbarComesBackAndRemovedAtTheEnd) {
    tray.shellAcceptsAdd = tray.shellAcceptsModify = false;
    EXPECT_FALSE(CreateTray());

    // Changes are kept for the next add without reaching the shell.
    tray.calls.clear();
    HICON icon = SystemIcon(IDI_WARNING);
    EXPECT_TRUE(tray.SetTrayIcon(icon));
    EXPECT_TRUE(tray.SetTrayTooltip("Tidemark - 3 통의 메일 도착"));
    EXPECT_TRUE(tray.calls.empty());

    tray.shellAcceptsAdd = tray.shellAcceptsModify = true;
    Broadcast(TaskbarCreated());
    ASSERT_FALSE(tray.calls.empty());
    EXPECT_EQ(tray.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(LastShellData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(LastShellData().hIcon, icon);
    EXPECT_EQ(TooltipOf(LastShellData()), "Tidemark - 3 통의 메일 도착");

    ASSERT_TRUE(tray.SetTrayTooltip("Tidemark"));
    EXPECT_EQ(tray.calls.back().message, static_cast<DWORD>(NIM_MODIFY));

    // The icon added late is deleted like any other.
    ASSERT_TRUE(tray.RemoveTrayIcon());
    EXPECT_EQ(tray.calls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(LastShellData().uFlags, 0u);
    tray.calls.clear();
    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_TRUE(tray.calls.empty()) << "a removed icon is not removed again";
}

TEST_F(SystemTrayTest, AWorkAreaChangeKeepsAnIconTheShellStillShows) {
    ASSERT_TRUE(CreateTray());
    tray.calls.clear();
    Broadcast(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER);
    EXPECT_TRUE(tray.calls.empty());

    // The shell still has the icon, so it refuses a second add.
    tray.shellAcceptsAdd = false;
    Broadcast(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    ASSERT_FALSE(tray.calls.empty());
    EXPECT_EQ(tray.calls[0].message, static_cast<DWORD>(NIM_ADD));
    tray.calls.clear();
    ASSERT_TRUE(tray.SetTrayTooltip("Tidemark - 메일 체크 중..."));
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
}

// The same icon against the notification area of the running shell.
class SystemTrayShellTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The desktop process brings up the taskbar; give it time on a fresh prefix.
        PumpMessagesUntil([] { return FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }, 20000);
    }
    void SetUp() override { ASSERT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr) << "no taskbar"; }
};

TEST_F(SystemTrayShellTest, TheIconStaysInTheNotificationAreaUntilTheTrayEnds) {
    HWND window = nullptr;
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.CreateTrayIcon(nullptr, callbackMessage, "Tidemark - 메일이 없습니다",
                                        SystemIcon(IDI_APPLICATION), trayIconId));
        window = tray.GetHandle();
        EXPECT_TRUE(tray.SetTrayIcon(SystemIcon(IDI_WARNING)));
        EXPECT_TRUE(tray.SetTrayTooltip("Tidemark - 자동 체크 기능 멈춤"));

        // As when the shell restarts: the icon is gone until the taskbar is back.
        ASSERT_TRUE(ShellAccepts(NIM_DELETE, window, trayIconId));
        SendMessageA(window, TaskbarCreated(), 0, 0);
        EXPECT_TRUE(ShellAccepts(NIM_MODIFY, window, trayIconId));

        SendMessageA(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
        EXPECT_TRUE(ShellAccepts(NIM_MODIFY, window, trayIconId));
    }
    EXPECT_FALSE(ShellAccepts(NIM_MODIFY, window, trayIconId));
}

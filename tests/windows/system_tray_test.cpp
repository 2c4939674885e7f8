#include "widgets/system_tray.h"

#include "framework/application.h"
#include "framework/frame_window.h"
#include "resource.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT callbackMessage = 0x800A;
constexpr UINT trayIconId = IDR_TRAY_MENU;
constexpr UINT missingIconResource = 999;
constexpr UINT checkingIcons[] = {161, 162};
constexpr UINT newMailIcon = 163;

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
        PostMessageA(handle, WM_CHAR, 'd', 0);
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
std::string TooltipOf(const NOTIFYICONDATAA& data) {
    std::string text(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    for (size_t i = text.size(); i < 64; ++i)
        if (data.szTip[i] != 0)
            return "<not zero-filled>";
    return text;
}

HICON SystemIcon(LPCSTR id) {
    return LoadIconA(nullptr, id);
}

// Asks the shell itself about the icon (window, id): it accepts a change or a
// delete only for an icon it has.
bool ShellAccepts(DWORD message, HWND window, UINT id) {
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

UINT TaskbarCreated() {
    return RegisterWindowMessageA("TaskbarCreated");
}

} // namespace

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
    ASSERT_EQ(tray.calls.size(), 1u);
    const CRecordingTray::Call& add = tray.calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(add.data.hWnd, tray.GetHandle());
    EXPECT_EQ(add.data.uID, trayIconId);
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
    ASSERT_EQ(tray.calls.size(), 1u);
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
    size_t calls = tray.calls.size();
    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_EQ(tray.calls.size(), calls);
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

TEST_F(SystemTrayTest, AnimationShowsTheSecondFrameFirstCyclesAndStopRestoresTheIcon) {
    ASSERT_TRUE(CreateTray());
    HICON shown = tray.GetTrayIcon();
    HICON first = tray.LoadIconResource(checkingIcons[0]), second = tray.LoadIconResource(checkingIcons[1]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(tray.SetAnimationIcons(checkingIcons[0], checkingIcons[1]));
    ASSERT_TRUE(tray.StartIconAnimation(300, -1));

    std::vector<HICON> seen;
    auto record = [&] {
        HICON icon = tray.GetTrayIcon();
        if (seen.empty() || seen.back() != icon)
            seen.push_back(icon);
        return seen.size() >= 4;
    };
    EXPECT_TRUE(PumpMessagesUntil(record));
    EXPECT_EQ(seen, (std::vector<HICON>{shown, second, first, second}));
    EXPECT_EQ(LastShellData().hIcon, tray.GetTrayIcon());

    EXPECT_TRUE(tray.StopIconAnimation());
    EXPECT_EQ(tray.GetTrayIcon(), shown);
    EXPECT_EQ(LastShellData().hIcon, shown);
    EXPECT_FALSE(tray.StopIconAnimation());
    EXPECT_FALSE(PumpMessagesUntil([&] { return tray.GetTrayIcon() != shown; }, 700));

    // A restart while a frame shows still remembers the icon from before.
    ASSERT_TRUE(tray.StartIconAnimation(50, -1));
    ASSERT_TRUE(PumpMessagesUntil([&] { return tray.GetTrayIcon() != shown; }));
    ASSERT_TRUE(tray.StartIconAnimation(50, -1));
    EXPECT_TRUE(tray.StopIconAnimation());
    EXPECT_EQ(tray.GetTrayIcon(), shown);

    // The caller sets the final icon after stopping.
    ASSERT_TRUE(tray.SetTrayIconResource(newMailIcon));
    EXPECT_EQ(tray.GetTrayIcon(), tray.LoadIconResource(newMailIcon));
    EXPECT_NE(tray.GetTrayIcon(), nullptr);
}

TEST_F(SystemTrayTest, AnAnimationWithAPeriodEndsByItself) {
    ASSERT_TRUE(CreateTray());
    HICON shown = SystemIcon(IDI_APPLICATION);
    ASSERT_TRUE(tray.SetAnimationIcons({SystemIcon(IDI_WARNING), SystemIcon(IDI_ERROR)}));
    ASSERT_TRUE(tray.StartIconAnimation(100, 1));
    ASSERT_TRUE(PumpMessagesUntil([&] { return tray.GetTrayIcon() != shown; }));
    EXPECT_TRUE(PumpMessagesUntil([&] { return tray.GetTrayIcon() == shown; }));
    EXPECT_FALSE(tray.StopIconAnimation()); // the timer is already gone
}

TEST_F(SystemTrayTest, TicksOfOtherTimersAndMissingIconsChangeNothing) {
    ASSERT_TRUE(CreateTray());
    HICON shown = SystemIcon(IDI_APPLICATION);
    ASSERT_TRUE(tray.SetAnimationIcons({SystemIcon(IDI_WARNING), SystemIcon(IDI_ERROR)}));
    ASSERT_TRUE(tray.StartIconAnimation(60000, -1));
    SendMessageA(tray.GetHandle(), WM_TIMER, 1, 0);
    EXPECT_EQ(tray.GetTrayIcon(), shown);

    EXPECT_FALSE(tray.SetAnimationIcons(2, 1));
    EXPECT_FALSE(tray.ShowNextAnimationFrame());
    EXPECT_FALSE(tray.SetAnimationIcons(missingIconResource, missingIconResource + 1));
    EXPECT_FALSE(tray.ShowNextAnimationFrame());
    EXPECT_FALSE(tray.SetAnimationIcons({SystemIcon(IDI_WARNING), nullptr}));
    EXPECT_FALSE(tray.ShowNextAnimationFrame());
    EXPECT_EQ(tray.LoadIconResource(missingIconResource), nullptr);
    EXPECT_FALSE(tray.SetTrayIconResource(missingIconResource));
    EXPECT_EQ(tray.GetTrayIcon(), shown);
    EXPECT_TRUE(tray.StopIconAnimation());
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

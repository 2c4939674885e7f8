// The tray icon's animation of a running check.
#include "system_tray_test_support.h"

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

// The state around a check: pause, timer, stop, a worker that cannot start,
// settings taken over as a whole, and the end of the program or session
// while a check runs.
#include "check_cycle_fixture.h"

#include <climits>

namespace {

// A frame whose worker thread never starts.
class CThreadlessFrame : public CMainFrame {
  public:
    int tries = 0;

  protected:
    bool StartWorker(std::function<void()>) override {
        ++tries;
        return false;
    }
};

class CheckStateTest : public CheckCycleTest {
  protected:
    // A check of the 1000-message account, under way.
    void StartLongCheck() {
        AddAccount("대량", "bench");
        StartProgram();
        frame->StartMailCheck();
        ASSERT_TRUE(PumpMessagesUntil([&] { return Rows() >= 1; }, checkTimeoutMs));
    }
    void StopAndWait() {
        if (frame->GetMailbox().IsCheckRunning())
            frame->StartMailCheck();
        ASSERT_TRUE(PumpMessagesUntil([&] { return !frame->IsCheckActive(); }, checkTimeoutMs));
    }
    bool IsRunning() { return frame->GetMailbox().IsCheckRunning(); }
};

} // namespace

TEST_F(CheckStateTest, StopWhilePausedKeepsThePause) {
    StartLongCheck();
    frame->TogglePause();
    StopAndWait();
    EXPECT_EQ(frame->GetSettings().MailCheckPause, 1);
}

TEST_F(CheckStateTest, ATimerTickAfterResumingDuringACheckDoesNotStopIt) {
    StartLongCheck();
    frame->TogglePause();
    frame->TogglePause();
    SendMessageA(frame->GetHandle(), WM_TIMER, 0, 0);
    EXPECT_TRUE(IsRunning());
    EXPECT_EQ(TrayMenuText(0), "메일 체크 중지(&S)");
    StopAndWait();
}

TEST_F(CheckStateTest, AWorkerThatCannotStartLeavesNoCheckBehind) {
    AddAccount("대량", "bench"); // without one, the check needs no worker
    StartProgram<CThreadlessFrame>();
    auto& threadless = static_cast<CThreadlessFrame&>(*frame);
    frame->StartMailCheck();
    EXPECT_FALSE(frame->IsCheckActive());
    EXPECT_FALSE(IsRunning());
    EXPECT_EQ(TrayMenuText(0), "지금 메일 체크(&N)");
    frame->StartMailCheck(); // tried again, not refused as "still finishing"
    EXPECT_EQ(threadless.tries, 2);
}

TEST_F(CheckStateTest, AResumeFromSleepStopsTheRunningCheckAndStartsAFreshOneWithinTenSeconds) {
    StartLongCheck();
    PostMessageA(frame->GetHandle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    bool stopped = false;
    EXPECT_TRUE(PumpMessagesUntil(
        [&] {
            stopped = stopped || !IsRunning();
            return stopped && IsRunning();
        },
        10000));
    StopAndWait();
}

TEST(CheckTimer, ThePeriodStaysBetweenAMinuteAndADay) {
    const struct {
        int duration;
        UINT milliseconds;
    } cases[] = {{5, 300000u},      {0, 60000u},        {-3, 60000u},
                 {1440, 86400000u}, {71583, 86400000u}, {INT_MAX, 86400000u}};
    for (const auto& sample : cases)
        EXPECT_EQ(CheckTimerInterval(sample.duration), sample.milliseconds) << sample.duration;
}

TEST_F(CheckStateTest, AppliedSettingsReachTheAccountsTheTrayAndTheRegistry) {
    StartProgram();
    unsigned version = frame->GetAccountListVersion();
    Settings changed = frame->GetSettings();
    changed.Duration = 17;
    changed.DefaultItem = 0;
    frame->ApplySettings(changed);
    EXPECT_EQ(frame->GetAccountListVersion(), version + 1);
    EXPECT_EQ(profile.GetInt("Setting", "Duration", 0), 17);

    // A double click now runs "지금 메일 체크(&N)".
    SendMessageA(frame->GetTrayIcon().GetHandle(), 32778, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(PumpMessagesUntil(
        [&] { return frame->GetTrayIcon().GetTrayTooltip() == "Tidemark - 새로 도착한 메일이 없습니다"; }));
}

TEST_F(CheckStateTest, ClosingDuringACheckStopsItAndWaitsForItsWorker) {
    StartLongCheck();
    app.SetMainWindow(nullptr); // no WM_QUIT for the tests that follow
    SendMessageA(frame->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(frame->IsCheckActive());
    EXPECT_EQ(profile.GetInt("Setting", "Duration", 0), 5); // saved before the window went
}

TEST_F(CheckStateTest, TheEndOfTheSessionSavesTheSettingsAndEmptiesTheMailStore) {
    std::string stored = TempFilePath("TM20261207093000.eml");
    WriteFileBytes(stored, "x");
    StartProgram();

    EXPECT_EQ(SendMessageA(frame->GetHandle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(profile.GetInt("Setting", "Duration", 0), 5);
    SendMessageA(frame->GetHandle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(GetFileAttributesA(stored.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(stored.c_str());
}

TEST_F(CheckStateTest, ACheckWithoutAccountsEndsAtOnceWithoutAWorker) {
    StartProgram<CThreadlessFrame>();
    auto& threadless = static_cast<CThreadlessFrame&>(*frame);
    frame->StartMailCheck();
    EXPECT_FALSE(frame->IsCheckActive());
    EXPECT_EQ(threadless.tries, 0);
    EXPECT_EQ(TrayMenuText(0), "지금 메일 체크(&N)");
}

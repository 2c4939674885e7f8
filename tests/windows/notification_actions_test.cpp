#include "widgets/avi_clip_dlg.h"
#include "widgets/mail_client.h"
#include "dialog_answerer.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

TEST(MailClientLaunch, AProgramThatCannotStartIsReportedInItsOwnBox) {
    CDialogAnswerer answerer("메일 클라이언트 프로그램 실행 오류", IDOK);
    LaunchMailClient(0, "");
    ASSERT_TRUE(answerer.Wait());
    EXPECT_EQ(answerer.GetText(), "메일 클라이언트의 경로명이 잘못 입력 되었습니다.");
}

TEST(MailClientLaunch, AnUnknownCodeRunsTheGivenPath) {
    CScratchDirectory folder;
    const std::string client = folder.Path() + "client.bat", marker = folder.Path() + "ran.txt";
    WriteFileBytes(client, "@echo ran> \"%~dp0ran.txt\"\r\n");
    CDialogAnswerer answerer("메일 클라이언트 프로그램 실행 오류", IDOK, 3000);
    LaunchMailClient(7, client);
    EXPECT_TRUE(PumpMessagesUntil([&] { return FileExists(marker); }, 10000)); // the client ran
    EXPECT_FALSE(answerer.Wait());
}

namespace {

// Counts the top-level windows this thread creates while it lives.
class CWindowCounter {
  public:
    CWindowCounter() {
        created = 0;
        hook = SetWindowsHookExA(WH_CBT, Count, nullptr, GetCurrentThreadId());
    }
    ~CWindowCounter() { UnhookWindowsHookEx(hook); }
    int Created() const { return created; }

  private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && !(reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style & WS_CHILD))
            ++created;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static int created;
    HHOOK hook;
};
int CWindowCounter::created = 0;

} // namespace

TEST(AviClipWindow, AnEmptyPathShowsNothing) {
    CWindowCounter windows;
    DWORD start = GetTickCount();
    PlayAviClip("");
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(windows.Created(), 0);
}

TEST(AviClipWindow, AClipThatCannotBeOpenedDoesNotHoldTheCaller) {
    CWindowCounter windows;
    DWORD start = GetTickCount();
    PlayAviClip("Z:\\no\\such\\clip.avi");
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_GE(windows.Created(), 1); // the clip window opened, then closed by itself
}

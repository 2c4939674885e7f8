#include "app/avi_clip_dlg.h"
#include "app/mail_client.h"
#include "dialog_answerer.h"

#include <gtest/gtest.h>

TEST(MailClientLaunch, AProgramThatCannotStartIsReportedInItsOwnBox) {
    CDialogAnswerer answerer("메일 클라이언트 프로그램 실행 오류", IDOK);
    LaunchMailClient(0, "");
    ASSERT_TRUE(answerer.Wait());
    EXPECT_EQ(answerer.GetText(), "메일 클라이언트의 경로명이 잘못 입력 되었습니다.");
}

TEST(MailClientLaunch, AnUnknownCodeRunsTheGivenPath) {
    CDialogAnswerer answerer("메일 클라이언트 프로그램 실행 오류", IDOK, 3000);
    LaunchMailClient(7, "C:\\windows\\system32\\hostname.exe");
    EXPECT_FALSE(answerer.Wait());
}

TEST(AviClipWindow, AnEmptyPathShowsNothing) {
    DWORD start = GetTickCount();
    PlayAviClip("");
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(AviClipWindow, AClipThatCannotBeOpenedDoesNotHoldTheCaller) {
    DWORD start = GetTickCount();
    PlayAviClip("Z:\\no\\such\\clip.avi");
    EXPECT_LT(GetTickCount() - start, 5000u);
}

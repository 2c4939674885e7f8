#include "app/main_frame.h"

#include "app/about_dlg.h"
#include "app/checker_app.h"
#include "app/web_site.h"
#include "framework/application.h"
#include "options/option_sheet.h"
#include "postman/postman_dlg.h"
#include "postman/mailbox_page.h"
#include "resource.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace {

constexpr UINT_PTR checkTimerId = 0;
constexpr UINT trayCallbackMessage = 32778;
constexpr UINT iconIdle = 160;
constexpr UINT iconCheckingFirst = 161;
constexpr UINT iconCheckingLast = 162;
constexpr UINT iconNewMail = 163;
constexpr UINT iconPaused = 164;
constexpr UINT animationFrameMs = 300;
constexpr int longestDurationMinutes = 24 * 60;

} // namespace

UINT CheckTimerInterval(int duration) {
    return static_cast<UINT>(std::clamp(duration, 1, longestDurationMinutes)) * 60000u;
}

CMainFrame::CMainFrame()
    : checkLink(std::make_shared<CCheckLink>()), checkControl{[this] { StartMailCheck(); },
                                                              [this] { OnMailClientStarted(); }} {
    postmanWindow = std::make_unique<CPostmanDlg>(GetMailbox(), checkControl, settings);
    checkLink->windows.reset(new CCheckWindows{settings, *postmanWindow, [this] { OnCheckBegins(); },
                                               [this](const CheckOutcome& outcome) {
                                                   OnCheckOutcome(outcome.newMailCount, outcome.notifyResult);
                                                   OnCheckFinished();
                                               },
                                               [this] { ShowPostmanWindow(); }});
}

CMainFrame::~CMainFrame() {
    // A check still running stops at its next wait; its reports go nowhere.
    checkLink->windows.reset();
    GetMailbox().RequestStop();
}

int CMainFrame::OnCreate() {
    LoadSettings(CApplication::Get()->Profile(), settings);
    if (!trayIcon.CreateTrayIcon(nullptr, trayCallbackMessage, "Tidemark - 메일이 없습니다",
                                 trayIcon.LoadIconResource(iconIdle), IDR_TRAY_MENU))
        return -1; // the program does not run without its icon
    if (settings.MailCheckPause == 1)
        SetTrayState(iconPaused, "Tidemark - 자동 체크 기능 멈춤");
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
    if (settings.UpgradeCheck == 1)
        upgradeCheck.CheckUpgradeAtStart(versionText);
    if (settings.StartCheck != 1 || settings.MailCheckPause != 0)
        ArmCheckTimer();
    else
        StartMailCheck();
    return 0;
}

void CMainFrame::SaveSettings() {
    ::SaveSettings(CApplication::Get()->Profile(), settings);
}

void CMainFrame::ApplySettings(const Settings& changed) {
    settings = changed;
    ++checkLink->accountListVersion;
    KillTimer(handle, checkTimerId);
    ArmCheckTimer();
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
    SaveSettings();
}

void CMainFrame::Shutdown() {
    if (shutDown)
        return;
    shutDown = true;
    StopCheckForExit();
    SaveSettings();
    DeleteTempMailFiles();
}

void CMainFrame::StopCheckForExit() {
    if (!IsCheckActive())
        return;
    GetMailbox().RequestStop();
    DWORD start = GetTickCount();
    while (IsCheckActive() && GetTickCount() - start < workerStopWaitMs) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam)); // for the loop that ends the program
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // The worker's reports arrive as sent messages, which this wait lets in.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

void CMainFrame::OnClose() {
    Shutdown();
    CFrameWindow::OnClose();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        SaveSettings(); // the session may end without another word
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            Shutdown();
        return 0;
    }
    return CFrameWindow::WindowProc(message, wParam, lParam);
}

void CMainFrame::ArmCheckTimer() {
    if (settings.MailCheckPause == 1 || GetMailbox().IsCheckRunning())
        return;
    SetTimer(handle, checkTimerId, CheckTimerInterval(settings.Duration), nullptr);
}

void CMainFrame::OnTimer(UINT_PTR id) {
    // A tick during a check (armed before it began) must not act as Stop.
    if (id == checkTimerId && !IsCheckActive())
        StartMailCheck();
}

bool CMainFrame::StartWorker(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void CMainFrame::StartMailCheck() {
    CMailboxModel& mailbox = GetMailbox();
    if (mailbox.IsCheckRunning()) {
        postmanWindow->SetStatusText("체크 중지 중...");
        mailbox.RequestStop();
        return;
    }
    // A stopped check may still be finishing its account; a delete's
    // conversation must end before a check's begins.
    if (shutDown || postmanWindow->GetMailboxPage().IsDeleting() || !mailbox.BeginCheck())
        return;
    if (settings.MailCheckPause == 1)
        settings.MailCheckPause = 0; // a manual check ends a pause
    bool started = StartWorker([link = checkLink] {
        CFrameCheckHost host(link);
        CMailboxModel& model = link->mailbox;
        RunMailCheck(host, model.checkRunning, model.GetProgramStartTime(), model.announcedMails,
                     model.retrievedMails);
        model.EndCheck();
    });
    if (!started) {
        mailbox.EndCheck();
        OnCheckFinished();
    }
}

void CMainFrame::OnCheckBegins() {
    KillTimer(handle, checkTimerId);
    GetMailbox().ResetListedCount();
    CMailboxPage& page = postmanWindow->GetMailboxPage();
    page.UpdateCheckButton();
    page.HideViewer();
    page.ClearRows();
    GetMailbox().ClearMails();
    trayIcon.SetTrayTooltip("Tidemark - 메일 체크 중...");
    trayIcon.SetAnimationIcons(iconCheckingFirst, iconCheckingLast);
    trayIcon.StartIconAnimation(animationFrameMs, -1);
    page.ShowLastCheck();
}

void CMainFrame::OnCheckOutcome(int newMailCount, int notifyResult) {
    postmanWindow->GetMailboxPage().ShowArrivedCount();
    postmanWindow->SetStatusText("");
    trayIcon.StopIconAnimation();
    if (newMailCount == 0 || (notifyResult == 1 && settings.IconInit == 1))
        ShowNoNewMailState();
    else
        SetTrayState(iconNewMail, "Tidemark - " + std::to_string(newMailCount) + " 통의 메일 도착");
}

void CMainFrame::OnCheckFinished() {
    postmanWindow->GetMailboxPage().UpdateCheckButton();
    postmanWindow->GetMailboxPage().HideViewer();
    ArmCheckTimer();
}

void CMainFrame::TogglePause() {
    if (settings.MailCheckPause == 0) {
        SetTrayState(iconPaused, "Tidemark - 자동 체크 기능 멈춤");
        settings.MailCheckPause = 1;
        KillTimer(handle, checkTimerId);
    } else {
        SetTrayState(iconIdle, "Tidemark");
        settings.MailCheckPause = 0;
        ArmCheckTimer();
    }
}

void CMainFrame::ShowPostmanWindow() {
    // With a program password set, the password prompt decides here whether
    // the window is shown.
    postmanWindow->ShowNormal();
}

void CMainFrame::OnMailClientStarted() {
    if (settings.IconInit == 1)
        ShowNoNewMailState();
}

void CMainFrame::SetTrayState(int iconId, const std::string& tooltip) {
    trayIcon.SetTrayIconResource(iconId);
    trayIcon.SetTrayTooltip(tooltip);
}

void CMainFrame::ShowNoNewMailState() {
    SetTrayState(iconIdle, "Tidemark - 새로 도착한 메일이 없습니다");
}

bool CMainFrame::OnCommand(int id, int, HWND) {
    switch (id) {
    case ID_CHECK_NOW:
        StartMailCheck();
        return true;
    case ID_SHOW_POSTMAN:
        ShowPostmanWindow();
        return true;
    case ID_OPTIONS:
        if (OpenOptionSheet(settings, [this](const Settings& changed) { ApplySettings(changed); }))
            SaveSettings();
        return true;
    case ID_PAUSE:
        TogglePause();
        return true;
    case ID_WEB_HOME:
        OpenWebPage(homePageUrl);
        return true;
    case ID_WEB_HELP:
        OpenWebPage(helpPageUrl);
        return true;
    case ID_WEB_FAQ:
        OpenWebPage(faqPageUrl);
        return true;
    case ID_WEB_BOARD:
        OpenWebPage(boardPageUrl);
        return true;
    case ID_APP_ABOUT:
        ShowAboutBox(handle);
        return true;
    case ID_APP_EXIT:
        PostMessageA(handle, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void CMainFrame::OnUpdateCommand(CCommandUpdate& item) {
    switch (item.GetId()) {
    case ID_CHECK_NOW:
        item.SetText(GetMailbox().IsCheckRunning() ? "메일 체크 중지(&S)" : "지금 메일 체크(&N)");
        break;
    case ID_PAUSE:
        item.SetCheck(settings.MailCheckPause == 1);
        break;
    }
}

#include "app/main_frame.h"

#include "app/checker_app.h"
#include "framework/application.h"
#include "options/option_sheet.h"
#include "postman/postman_dlg.h"
#include "postman/mailbox_page.h"
#include "resource.h"

#include <shellapi.h>

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

// The maker's web pages.
const char homePage[] = "http://tidemark.harrowby.example/";
const char helpPage[] = "http://tidemark.harrowby.example/tdm2000/help.html";
const char faqPage[] = "http://tidemark.harrowby.example/tdm2000/help.html#6";
const char boardPage[] = "http://tidemark.harrowby.example/cgi-bin/Board/board.cgi?db=tidemark";

void OpenWebPage(const char* url) {
    ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

CMainFrame::CMainFrame() : checkLink(std::make_shared<CCheckLink>()), checkRunning(checkLink->checkRunning) {
    checkLink->frame = this;
    postmanWindow = std::make_unique<CPostmanDlg>(*this);
}

CMainFrame::~CMainFrame() {
    // A check still running is not waited for: it stops after its current
    // transfer and its reports go nowhere.
    checkLink->frame = nullptr;
    checkRunning = 0;
}

int CMainFrame::OnCreate() {
    programStartTime = CCalendarTime::Now();
    LoadSettings(CApplication::Get()->Profile(), settings);
    if (!trayIcon.CreateTrayIcon(nullptr, trayCallbackMessage, "Tidemark - 메일이 없습니다",
                                 trayIcon.LoadIconResource(iconIdle), IDR_TRAY_MENU))
        return -1; // the program does not run without its icon
    if (settings.MailCheckPause == 1)
        SetTrayState(iconPaused, "Tidemark - 자동 체크 기능 멈춤");
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
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
    ++accountListVersion;
    KillTimer(handle, checkTimerId);
    if (!IsCheckActive())
        ArmCheckTimer(); // a running check arms it when it ends
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
    SaveSettings();
}

void CMainFrame::OnClose() {
    SaveSettings();
    DeleteTempMailFiles();
    CFrameWindow::OnClose();
}

void CMainFrame::ArmCheckTimer() {
    if (settings.MailCheckPause == 1)
        return;
    // Duration is kept as stored; a value below one minute still checks once a minute.
    UINT minutes = settings.Duration > 0 ? static_cast<UINT>(settings.Duration) : 1;
    SetTimer(handle, checkTimerId, minutes * 60000u, nullptr);
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == checkTimerId)
        StartMailCheck();
}

void CMainFrame::StartMailCheck() {
    if (settings.MailCheckPause == 1)
        settings.MailCheckPause = 0; // a manual check ends a pause
    if (checkRunning) {
        postmanWindow->SetStatusText("체크 중지 중...");
        checkRunning = 0;
        return;
    }
    if (checkLink->workerActive)
        return; // a stopped check is still finishing its account
    checkRunning = 1;
    checkLink->workerActive = true;
    std::thread([link = checkLink, start = programStartTime] {
        CFrameCheckHost host(link);
        RunMailCheck(host, link->checkRunning, start);
        link->workerActive = false;
    }).detach();
}

void CMainFrame::OnCheckBegins() {
    KillTimer(handle, checkTimerId);
    listedMailCount = 0;
    CMailboxPage& page = postmanWindow->GetMailboxPage();
    page.UpdateCheckButton();
    page.ClearRows();
    arrivedMails.clear();
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
        OpenWebPage(homePage);
        return true;
    case ID_WEB_HELP:
        OpenWebPage(helpPage);
        return true;
    case ID_WEB_FAQ:
        OpenWebPage(faqPage);
        return true;
    case ID_WEB_BOARD:
        OpenWebPage(boardPage);
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
        item.SetText(checkRunning ? "메일 체크 중지(&S)" : "지금 메일 체크(&N)");
        break;
    case ID_PAUSE:
        item.SetCheck(settings.MailCheckPause == 1);
        break;
    }
}

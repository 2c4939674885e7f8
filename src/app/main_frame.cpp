#include "app/main_frame.h"

#include "app/about_dlg.h"
#include "app/checker_app.h"
#include "core/user_texts.h"
#include "widgets/web_site.h"
#include "framework/application.h"
#include "options/option_sheet.h"
#include "options/password_dlg.h"
#include "postman/postman_dlg.h"
#include "postman/mailbox_page.h"
#include "resource.h"

#include <algorithm>

namespace {

constexpr UINT_PTR checkTimerId = 0;
// The check after a wake or a network change, a moment later: the network
// needs that long to come back.
constexpr UINT_PTR soonTimerId = 1;
constexpr UINT soonDelayMs = 3000;
constexpr UINT networkChangedMessage = WM_APP + 10;
// An IMAP account's mailbox changed: wParam its index, lParam the account list version.
constexpr UINT accountChangedMessage = WM_APP + 11;
// Retries the checks that wait for a running check's worker to end.
constexpr UINT_PTR pendingTimerId = 2;
constexpr UINT pendingRetryMs = 100;
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
                                                              [this] { OnMailClientStarted(); }} {}

CPostmanDlg& CMainFrame::GetPostmanWindow() {
    if (!postmanWindow) {
        postmanWindow = std::make_unique<CPostmanDlg>(GetMailbox(), checkControl, settings);
        FillPostmanWindow(*postmanWindow);
    }
    return *postmanWindow;
}

void CMainFrame::FillPostmanWindow(CPostmanDlg& window) {
    CMailboxPage& page = window.GetMailboxPage();
    page.ShowModel();
    if (lastCheckTime)
        page.ShowLastCheck(*lastCheckTime);
    if (arrivedCountShown)
        page.ShowArrivedCount();
    window.SetStatusText(statusText);
    ShowCheckStatus();
}

void CMainFrame::RemoveRowsExcept(const std::function<bool(const MailHeader&)>& keep) {
    if (postmanWindow) {
        postmanWindow->GetMailboxPage().ClearRowsExcept(keep);
        return;
    }
    CMailboxModel& mailbox = GetMailbox();
    for (int row = static_cast<int>(mailbox.GetArrivedMails().size()) - 1; row >= 0; --row)
        if (!keep(mailbox.GetArrivedMails()[row]))
            mailbox.RemoveMail(row);
}

void CMainFrame::SetStatusText(const std::string& text) {
    statusText = text;
    if (postmanWindow)
        postmanWindow->SetStatusText(text);
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
    checkLink->windows.reset(new CCheckWindows{
        settings, [this] { return postmanWindow.get(); },
        [this](const std::string& text) { SetStatusText(text); }, [this] { OnCheckBegins(); },
        [this](const CheckOutcome& outcome) {
            OnCheckOutcome(outcome.newMailCount, outcome.notifyResult);
            OnCheckFinished();
        },
        [this] { ShowPostmanWindow(); },
        [this](const std::string& title, const std::string& text) { ShowNewMailBalloon(title, text); },
        [this] { ShowCheckStatus(); }});
    if (settings.MailCheckPause)
        SetTrayState(iconPaused, "Tidemark - 자동 체크 기능 멈춤");
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
    if (settings.UpgradeCheck)
        upgradeCheck.CheckUpgradeAtStart(versionText);
    networkWatch.Start(handle, networkChangedMessage);
    RestartPush();
    if (!settings.StartCheck || settings.MailCheckPause)
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
    RestartPush();
    trayIcon.SetDefaultMenuItem(settings.DefaultItem, true);
    SaveSettings();
}

void CMainFrame::RestartPush() {
    changedAccounts.clear();
    // The connections leave their servers in the background: no window waits for a slow one.
    if (shutDown || settings.MailCheckPause) {
        imapPush.Stop(0);
        return;
    }
    imapPush.Start(settings.servers, CheckTimerInterval(settings.Duration),
                   [window = handle, version = GetAccountListVersion()](int index) {
                       PostMessageA(window, accountChangedMessage, index, version);
                   });
}

void CMainFrame::Shutdown() {
    if (shutDown)
        return;
    shutDown = true;
    networkWatch.Stop();
    imapPush.Stop();
    StopCheckForExit();
    SaveSettings();
    DeleteTempMailFiles();
}

void CMainFrame::StopCheckForExit() {
    GetMailbox().RequestStop();
    // The worker's reports arrive as messages, which the wait lets in. A
    // worker that outlasts it is not waited for again when the frame goes.
    if (!checkJob.Wait(workerStopWaitMs))
        checkJob.LetGoOnCancel();
}

void CMainFrame::OnClose() {
    Shutdown();
    CFrameWindow::OnClose();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        SaveSettings(); // the session may end without another word
        imapPush.Stop();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            Shutdown();
        else
            RestartPush(); // the session goes on after all
        return 0;
    case accountChangedMessage:
        // A report from before the account list changed may name another account.
        if (static_cast<unsigned>(lParam) == GetAccountListVersion())
            CheckChangedAccount(static_cast<int>(wParam));
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
            CheckSoon(true);
        return TRUE;
    case networkChangedMessage:
        // Connected: the servers may answer again. Cut off: a check that
        // reaches none shows the offline state at once, not at the next tick.
        if (!IsCheckActive() && (CNetworkWatch::IsConnected() || !checkLink->status.IsOffline()))
            CheckSoon(false);
        return 0;
    }
    return CFrameWindow::WindowProc(message, wParam, lParam);
}

void CMainFrame::ArmCheckTimer() {
    if (settings.MailCheckPause || GetMailbox().IsCheckRunning())
        return;
    const UINT interval = CheckTimerInterval(settings.Duration);
    SetTimer(handle, checkTimerId, interval, nullptr);
    checkLink->status.SetNextCheck(CCalendarTime(CCalendarTime::Now().GetSeconds() + interval / 1000));
    ShowCheckStatus();
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == pendingTimerId) {
        RunPendingCheck();
        return;
    }
    // A check of one account leaves the timer running: its tick waits for that check.
    if (id == checkTimerId && IsCheckActive() && checkingAccount >= 0) {
        fullCheckPending = true;
        return;
    }
    // A tick during a check (armed before it began) must not act as Stop.
    if (id == checkTimerId && !IsCheckActive())
        StartMailCheck();
    // A stopped check may still be ending its account: the next tick tries again.
    if (id != soonTimerId || IsCheckActive())
        return;
    KillTimer(handle, soonTimerId);
    if (settings.MailCheckPause)
        return;
    RestartPush(); // after a sleep or a network change the old connections are of no use
    StartMailCheck();
    if (!IsCheckActive())
        ArmCheckTimer(); // refused (a delete under way): the timed checks go on
}

void CMainFrame::CheckSoon(bool stopRunning) {
    if (shutDown || settings.MailCheckPause)
        return;
    if (stopRunning && GetMailbox().IsCheckRunning())
        GetMailbox().RequestStop();
    KillTimer(handle, checkTimerId);
    // Several reports in a row (both resume messages, a burst of interface
    // changes) make one check.
    SetTimer(handle, soonTimerId, soonDelayMs, nullptr);
    checkLink->status.SetNextCheck(CCalendarTime(CCalendarTime::Now().GetSeconds() + soonDelayMs / 1000));
    ShowCheckStatus();
}

bool CMainFrame::StartWorker(std::function<void()> work) {
    // A new check begins once the last one has marked its end in the
    // mailbox model; its worker may not have returned yet.
    if (checkJob.IsRunning() && !checkJob.Wait(workerStopWaitMs))
        return false;
    // The check stops through the mailbox model's flag, which the frame clears.
    return checkJob.Start([work = std::move(work)](CJobControl&) { work(); }, nullptr);
}

void CMainFrame::StartMailCheck() {
    CMailboxModel& mailbox = GetMailbox();
    if (mailbox.IsCheckRunning()) {
        SetStatusText("체크 중지 중...");
        mailbox.RequestStop();
        return;
    }
    RunCheck(-1);
}

void CMainFrame::CheckChangedAccount(int index) {
    if (shutDown || settings.MailCheckPause)
        return;
    changedAccounts.insert(index);
    RunPendingCheck();
}

void CMainFrame::RunPendingCheck() {
    KillTimer(handle, pendingTimerId);
    if (!fullCheckPending && changedAccounts.empty())
        return;
    // A check that ended marks it in the model only after its last report.
    if (IsCheckActive() || (postmanWindow && postmanWindow->GetMailboxPage().IsDeleting())) {
        SetTimer(handle, pendingTimerId, pendingRetryMs, nullptr);
        return;
    }
    if (fullCheckPending) {
        RunCheck(-1);
        return;
    }
    const int index = *changedAccounts.begin();
    changedAccounts.erase(changedAccounts.begin());
    RunCheck(index);
}

void CMainFrame::RunCheck(int onlyAccount) {
    CMailboxModel& mailbox = GetMailbox();
    // A stopped check may still be finishing its account; a delete's
    // conversation must end before a check's begins.
    if (shutDown || (postmanWindow && postmanWindow->GetMailboxPage().IsDeleting()) || !mailbox.BeginCheck())
        return;
    checkingAccount = onlyAccount;
    if (onlyAccount < 0) {
        changedAccounts.clear(); // every account is read now
        fullCheckPending = false;
    }
    if (settings.MailCheckPause) {
        settings.MailCheckPause = false; // a manual check ends a pause
        RestartPush();
    }
    auto check = [link = checkLink, onlyAccount] {
        CFrameCheckHost host(link);
        CMailboxModel& model = link->mailbox;
        RunMailCheck(host, model.checkRunning, model.GetProgramStartTime(), model.announcedMails,
                     model.retrievedMails, onlyAccount);
        model.EndCheck();
    };
    // Without an account to check nothing waits on a server: the check runs
    // here, sparing a thread whose stack Wine keeps after it ends.
    if (std::none_of(settings.servers.begin(), settings.servers.end(),
                     [](const ServerEntry& server) { return server.CheckYN; })) {
        check();
        return;
    }
    if (!StartWorker(check)) {
        mailbox.EndCheck();
        OnCheckFinished();
    }
}

void CMainFrame::OnCheckBegins() {
    // The rows of problems that last stay; a replaced account list has none.
    checkLink->status.BeginCheck(checkLink->accountListVersion);
    checkLink->status.SetChecking(true);
    ShowCheckStatus();
    if (postmanWindow) {
        postmanWindow->GetMailboxPage().UpdateCheckButton();
        postmanWindow->GetMailboxPage().HideViewer();
    }
    if (checkingAccount >= 0) {
        // One account is read again: the other rows stay, and so does the timers' rhythm.
        RemoveRowsExcept([this](const MailHeader& row) {
            return row.serverIndex != checkingAccount || checkLink->status.ShowsRow(row);
        });
        return;
    }
    KillTimer(handle, checkTimerId);
    GetMailbox().ResetListedCount();
    RemoveRowsExcept([this](const MailHeader& row) { return checkLink->status.ShowsRow(row); });
    lastCheckTime = CCalendarTime::Now();
    if (postmanWindow)
        postmanWindow->GetMailboxPage().ShowLastCheck(*lastCheckTime);
    trayIcon.SetTrayTooltip("Tidemark - 메일 체크 중...");
    trayIcon.SetAnimationIcons(iconCheckingFirst, iconCheckingLast);
    trayIcon.StartIconAnimation(animationFrameMs, -1);
}

void CMainFrame::OnCheckOutcome(int newMailCount, int notifyResult) {
    arrivedCountShown = true;
    if (postmanWindow)
        postmanWindow->GetMailboxPage().ShowArrivedCount();
    SetStatusText("");
    trayIcon.StopIconAnimation();
    // One account's check keeps what the others announced, but no more than
    // the mails still listed: mail read elsewhere leaves the count.
    trayNewCount = checkingAccount < 0
                       ? newMailCount
                       : std::min(trayNewCount + newMailCount, GetMailbox().GetListedMailCount());
    if (checkLink->status.IsOffline())
        SetTrayState(iconIdle, std::string("Tidemark - ") + offlineText);
    else if (trayNewCount == 0 || (notifyResult == 1 && settings.IconInit))
        ShowNoNewMailState();
    else
        SetTrayState(iconNewMail, "Tidemark - " + std::to_string(trayNewCount) + " 통의 메일 도착");
}

void CMainFrame::OnCheckFinished() {
    if (postmanWindow) {
        postmanWindow->GetMailboxPage().UpdateCheckButton();
        postmanWindow->GetMailboxPage().HideViewer();
    }
    checkLink->status.SetChecking(false);
    if (checkingAccount < 0)
        ArmCheckTimer();
    ShowCheckStatus();
    RunPendingCheck();
}

void CMainFrame::TogglePause() {
    if (!settings.MailCheckPause) {
        SetTrayState(iconPaused, "Tidemark - 자동 체크 기능 멈춤");
        settings.MailCheckPause = true;
        KillTimer(handle, checkTimerId);
        ShowCheckStatus();
    } else {
        SetTrayState(iconIdle, "Tidemark");
        settings.MailCheckPause = false;
        ArmCheckTimer();
    }
    RestartPush();
}

void CMainFrame::ShowPostmanWindow() {
    // A window already open was opened with the password; it only comes
    // forward. A second way there while the prompt is open asks nothing more.
    if (!postmanWindow || !IsWindowVisible(postmanWindow->GetHandle())) {
        if (askingPassword)
            return;
        askingPassword = true;
        const bool granted = AskProgramPassword(settings, nullptr);
        askingPassword = false;
        if (!granted)
            return;
    }
    GetPostmanWindow().ShowNormal();
}

void CMainFrame::OnMailClientStarted() {
    if (settings.IconInit)
        ShowNoNewMailState();
}

void CMainFrame::SetTrayState(int iconId, const std::string& tooltip) {
    trayIcon.SetTrayIconResource(iconId);
    trayIcon.SetTrayTooltip(tooltip);
}

void CMainFrame::ShowNewMailBalloon(const std::string& title, const std::string& text) {
    trayIcon.ShowBalloon(title, text, ID_SHOW_POSTMAN);
}

void CMainFrame::ShowCheckStatus() {
    checkLink->status.SetPaused(settings.MailCheckPause);
    if (postmanWindow)
        postmanWindow->SetStatusPane(checkLink->status.PaneText());
}

void CMainFrame::ShowNoNewMailState() {
    trayNewCount = 0;
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
        item.SetCheck(settings.MailCheckPause);
        break;
    }
}

#include "app/main_frame.h"

#include "app/checker_app.h"
#include "framework/application.h"
#include "postman/postman_dlg.h"
#include "resource.h"

#include <shellapi.h>

namespace {
constexpr UINT_PTR checkTimerId = 0;
} // namespace

CMainFrame::CMainFrame() {
    postmanWindow = std::make_unique<CPostmanDlg>(*this);
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate() {
    programStartTime = CCalendarTime::Now();
    LoadSettings(CApplication::Get()->Profile(), settings);
    ArmCheckTimer();
    return 0;
}

void CMainFrame::SaveSettings() {
    ::SaveSettings(CApplication::Get()->Profile(), settings);
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

void CMainFrame::StartMailCheck() {}

void CMainFrame::ShowPostmanWindow() {
    // With a program password set, the password prompt decides here whether
    // the window is shown.
    postmanWindow->ShowNormal();
}

void CMainFrame::SetTrayState(int, const std::string&) {}

void CMainFrame::ShowNoNewMailState() {
    SetTrayState(160, "Tidemark - 새로 도착한 메일이 없습니다");
}

bool CMainFrame::OnCommand(int id, int, HWND) {
    switch (id) {
    case ID_CHECK_NOW:
        StartMailCheck();
        return true;
    case ID_SHOW_POSTMAN:
        ShowPostmanWindow();
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

// The hidden main window. It owns the settings, the tray icon, the postman
// window and the state of the mail check; the tray menu's commands come to
// it. Everything here belongs to the user-interface thread except
// `checkRunning`, which the check's worker thread reads.
#pragma once

#include "app/settings.h"
#include "framework/calendar_time.h"
#include "framework/frame_window.h"
#include "mail/mail_header.h"
#include "widgets/system_tray.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CPostmanDlg;

class CMainFrame : public CFrameWindow {
  public:
    CMainFrame();
    ~CMainFrame() override;

    Settings& GetSettings() { return settings; }
    CPostmanDlg& GetPostmanWindow() { return *postmanWindow; }

    // Starts a check, or asks the running one to stop.
    void StartMailCheck();
    // Timer 0 at Duration minutes, unless automatic checking is paused.
    void ArmCheckTimer();
    // Pauses automatic checking, or resumes it.
    void TogglePause();
    // Shows the postman window (after the program password, when one is set).
    void ShowPostmanWindow();
    void SaveSettings();

    // The tray's icon and tooltip.
    void SetTrayState(int iconId, const std::string& tooltip);
    // Icon 160 with "Tidemark - 새로 도착한 메일이 없습니다": used after a mail
    // client was started when the IconInit setting asks for it.
    void ShowNoNewMailState();

    // Mails of the current or last check; element i is row i of the mailbox list.
    std::vector<MailHeader> arrivedMails;
    // Mails listed by the last check, error rows not counted.
    int listedMailCount = 0;
    // 1 while a check runs; clearing it asks the check to stop.
    std::atomic<int> checkRunning{0};
    CCalendarTime programStartTime;

    const std::string versionText = "4.7.0";

  protected:
    int OnCreate() override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnUpdateCommand(CCommandUpdate& item) override;

  private:
    Settings settings;
    CSystemTray trayIcon;
    std::unique_ptr<CPostmanDlg> postmanWindow;
};

// The hidden main window. It owns the settings, the tray icon, the postman
// window and the state of the mail check; the tray menu's commands come to
// it. Everything here belongs to the user-interface thread except
// `checkRunning`, which the check's worker thread reads.
#pragma once

#include "app/frame_check_host.h"
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
    // Shared with the check's worker, which may outlive this frame. Declared
    // first: `checkRunning` refers into it.
    std::shared_ptr<CCheckLink> checkLink;

  public:
    CMainFrame();
    ~CMainFrame() override;

    Settings& GetSettings() { return settings; }
    CPostmanDlg& GetPostmanWindow() { return *postmanWindow; }
    CSystemTray& GetTrayIcon() { return trayIcon; }

    // Starts a check, or asks the running one to stop.
    void StartMailCheck();
    // True from the start of a check until its worker has ended.
    bool IsCheckActive() const { return checkLink->workerActive; }
    // Timer 0 at Duration minutes, unless automatic checking is paused.
    void ArmCheckTimer();
    // Pauses automatic checking, or resumes it.
    void TogglePause();
    // Shows the postman window (after the program password, when one is set).
    void ShowPostmanWindow();
    void SaveSettings();
    // Takes over settings edited as a whole (the options sheet): the account
    // list becomes a new version, the timer follows the new period, the
    // tray's double click the new DefaultItem, and the registry all of it.
    void ApplySettings(const Settings& changed);

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
    std::atomic<int>& checkRunning;
    // Changes whenever the account list is replaced as a whole, so that a
    // running check never writes into an account that took another's place.
    unsigned accountListVersion = 0;
    CCalendarTime programStartTime;

    // Steps of a check, applied on the user-interface thread.
    void OnCheckBegins();
    void OnCheckOutcome(int newMailCount, int notifyResult);
    void OnCheckFinished();

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

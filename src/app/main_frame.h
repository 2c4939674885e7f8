// The hidden main window. It owns the settings, the tray icon, the postman
// window and the mailbox model with the state of the mail check; the tray
// menu's commands come to it. Everything here belongs to the user-interface
// thread; the check's worker shares only the mailbox model.
#pragma once

#include "app/frame_check_host.h"
#include "app/network_watch.h"
#include "core/imap_push.h"
#include "core/mailbox_model.h"
#include "core/settings.h"
#include "app/upgrade_check.h"
#include "framework/background_job.h"
#include "framework/frame_window.h"
#include "widgets/system_tray.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

class CPostmanDlg;

// The check timer's period: Duration minutes, brought into 1 to 1440.
UINT CheckTimerInterval(int duration);

class CMainFrame : public CFrameWindow {
  public:
    // How long closing waits for a check's worker to stop.
    static constexpr DWORD workerStopWaitMs = 5000;

    CMainFrame();
    ~CMainFrame() override;

    Settings& GetSettings() { return settings; }
    CMailboxModel& GetMailbox() { return checkLink->mailbox; }
    // Made hidden on first use (first shown, as a rule), and filled from the
    // program's state.
    CPostmanDlg& GetPostmanWindow();
    CSystemTray& GetTrayIcon() { return trayIcon; }
    // What the windows start and stop checks through.
    CMailCheckControl& GetCheckControl() { return checkControl; }
    // Changes whenever the account list is replaced as a whole, so that a
    // running check never writes into an account that took another's place.
    unsigned GetAccountListVersion() const { return checkLink->accountListVersion; }

    // Starts a check, or asks the running one to stop. No check starts
    // while the mailbox page deletes mail on a server.
    void StartMailCheck();
    // An IMAP account's server told of a change: that account alone is
    // checked now, or after the check that runs.
    void CheckChangedAccount(int index);
    // A mail client was started for the user to read the mail: with the
    // IconInit setting on, the tray no longer announces new mail.
    void OnMailClientStarted();
    // True from the start of a check until its worker has ended.
    bool IsCheckActive() const { return checkLink->mailbox.IsCheckActive(); }
    // Timer 0 at Duration minutes, unless automatic checking is paused or a
    // check runs (its end arms the timer).
    void ArmCheckTimer();
    // After a resume from sleep, or when the network comes back: a check
    // within a few seconds unless paused (a check that runs is stopped
    // first when `stopRunning`: its connections died with the sleep); the
    // timed checks count from that check.
    void CheckSoon(bool stopRunning);
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
    // A balloon from the tray icon; clicking it shows the postman window.
    void ShowNewMailBalloon(const std::string& title, const std::string& text);
    // Icon 160 with "Tidemark - 새로 도착한 메일이 없습니다": used after a mail
    // client was started when the IconInit setting asks for it.
    void ShowNoNewMailState();
    // Brings the postman window's status pane up to date, when the window
    // exists: the next check, the pause, the offline state, the accounts
    // with a problem.
    void ShowCheckStatus();

    // The program's version, as the maker's version file names it.
    const std::string versionText = "4.7.0";

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
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Runs the check's `work` as a background job; false when it cannot start.
    virtual bool StartWorker(std::function<void()> work);

  private:
    // Begins a check of every account, or of `onlyAccount` alone.
    void RunCheck(int onlyAccount);
    // Runs the checks that waited for the last one to end.
    void RunPendingCheck();
    // The IDLE connections follow the account list and the pause: ended,
    // then started again unless paused or closing.
    void RestartPush();
    // The one place where a newly made postman window takes what the program
    // holds: the model's rows, the check's labels and button, the status line and pane.
    void FillPostmanWindow(CPostmanDlg& window);
    // The status line's text, kept for a window made later.
    void SetStatusText(const std::string& text);
    // Drops the rows, from the model and the window if it is made, but those `keep` holds on to.
    void RemoveRowsExcept(const std::function<bool(const MailHeader&)>& keep);
    // Asks a running check to stop and waits up to workerStopWaitMs for its
    // worker, still handling messages (the worker's reports come as such).
    void StopCheckForExit();
    // What closing and the end of the session do before the window goes:
    // the check stopped, the settings saved, the temporary mails deleted.
    void Shutdown();

    // Shared with the check's worker, which may outlive this frame.
    std::shared_ptr<CCheckLink> checkLink;
    Settings settings;
    bool shutDown = false;
    bool askingPassword = false;
    CMailCheckControl checkControl;
    CSystemTray trayIcon;
    std::unique_ptr<CPostmanDlg> postmanWindow;
    std::string statusText;
    std::optional<CCalendarTime> lastCheckTime; // when the last check began
    bool arrivedCountShown = false;             // once a check has counted its mails
    CUpgradeCheck upgradeCheck;
    CNetworkWatch networkWatch;
    CImapPush imapPush;
    // The account the running or last check read alone; -1: every account.
    int checkingAccount = -1;
    // Waiting for the running check to end: accounts whose server told of a
    // change, and the timed check of every account.
    std::set<int> changedAccounts;
    bool fullCheckPending = false;
    // The new mails the tray announces.
    int trayNewCount = 0;
    CBackgroundJob checkJob; // last: a stopped check's worker ends, or is let go, before the rest goes
};

// The mailbox tab of the postman window ("우 편 함"): the list of the mails
// that the last check found, the arrived-count and last-check labels, and
// the picture buttons with their tool tips.
//
// The page holds no mail data: row i of the list shows element i of the
// mailbox model's `arrivedMails`, and the rows keep the order in which the
// check inserted them (the list is never sorted). Every method runs on the
// user-interface thread; the check's worker reaches them through its host.
//
// The commands act on the list's selection mark (the row last selected),
// Delete on every selected row; all but the mail-client ones ignore error
// rows. Delete talks to the servers on a worker thread: meanwhile the page's
// controls are disabled, the status line says so and no check starts.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"
#include "framework/background_job.h"
#include "base/calendar_time.h"
#include "framework/list_view.h"
#include "mail/charset.h"
#include "postman/mail_view_dlg.h"
#include "postman/tab_page.h"
#include "widgets/icon_button.h"

#include <functional>
#include <string>
#include <vector>

// What the page's commands reach beyond it: the settings and the postman
// window around it.
class CMailboxPageHost {
  public:
    virtual Settings& GetSettings() = 0;
    // The postman window's status line; "" clears it.
    virtual void SetStatusText(const std::string& text) = 0;
    // Starts an answer to `recipient` about `subject` on the quick-mail tab
    // and switches to that tab.
    virtual void StartReply(const std::string& recipient, const std::u16string& subject) = 0;
    // Hides the postman window.
    virtual void HideWindow() = 0;

  protected:
    ~CMailboxPageHost() = default;
};

class CMailboxPage : public CTabPage {
  public:
    // Shows `mailbox`; the check button goes to `checker`, the commands
    // reach `host`, whose settings give the accounts and the view button's
    // role. `smallFontScreen` (see IsSmallFontScreen) chooses the viewer's
    // layout.
    CMailboxPage(CMailboxModel& mailbox, CMailCheckControl& checker, CMailboxPageHost& host,
                 bool smallFontScreen);

    // Inserts a row at `row` with the account name, sender and subject,
    // moving later rows down (an index outside 0..GetRowCount() is brought
    // to the nearer end), and scrolls the list towards its newest rows. The
    // sender and subject of a mail keep every character it gives them.
    void AddRow(const std::string& serverName, const std::u16string& sender, const std::u16string& subject,
                int row);
    // The same with code page 949 texts (the program's own, such as an error row's).
    void AddRow(const std::string& serverName, const std::string& sender, const std::string& subject,
                int row) {
        AddRow(serverName, Cp949ToUtf16(sender), Cp949ToUtf16(subject), row);
    }
    // Inserts row `row` for `mail`: its account, its sender (the address when
    // it gives no name) and its subject.
    void AddRow(const MailHeader& mail, int row);
    // Lists the model's mails anew, and the check button follows the model.
    void ShowModel();
    // Deletes every row.
    void ClearRows();
    // Deletes row `row` and its mail in the model.
    void RemoveRow(int row);
    // Deletes the rows, with their mails in the model, but those that `keep`
    // holds on to (the rows of problems that last).
    void ClearRowsExcept(const std::function<bool(const MailHeader&)>& keep);
    // The number of rows; also where the check appends a row.
    int GetRowCount() const { return rowCount; }

    // The check button offers to stop while a check runs and to check
    // otherwise: its icons and tool tip follow the model's `checkRunning`.
    void UpdateCheckButton();
    // "마지막 체크 : " and the time of day of `checkTime`, as "오후 3:07".
    void ShowLastCheck(CCalendarTime checkTime = CCalendarTime::Now());
    // "도착한 메일 : " and the model's `listedMailCount` as "%3d".
    void ShowArrivedCount();

    // From the start of a delete until its last answer has been shown.
    bool IsDeleting() const { return deleteJob.IsRunning(); }

    // The mail view window, made hidden when first asked for: only once the
    // user reads a mail.
    CMailViewDlg& GetViewer();
    // Hides the mail view window (a check starts or ends, a delete begins).
    void HideViewer();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    // Enter and Esc go no further than the page.
    bool PreTranslateMessage(MSG& message) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

  private:
    // One selected mail on its way to deletion.
    struct Deletion {
        int row;
        MailHeader mail;
        bool accountKnown;
        ServerEntry account;
    };

    // The mail of the selection mark, or null; `listedOnly` leaves out error rows.
    const MailHeader* SelectedMail(bool listedOnly) const;
    void OnReply();
    void OnDelete();
    // Runs on the worker: each mail asked about and deleted in turn;
    // returns the rows to remove, in ascending order.
    std::vector<int> DeleteOnServers(const std::vector<Deletion>& deletions, CJobControl& control);
    void OnDeleteFinished(const std::vector<int>& removedRows);
    void OnAddToSpam();
    void OnAddToAddressBook();
    // The selected row's account's mail client (error rows too).
    void OnAccountMailClient();
    // Button 1008 when the ViewButton setting gives it to the mail client.
    void OnMailClientButton();
    void EnableControls(bool enable);

    void CreateToolTips();
    // Registers `button` with the tool tips (`add`), or replaces its text.
    void SetToolTip(const CIconButton& button, UINT textId, bool add);
    HWND List() const;
    // Opens the selected mail (row 0 when none is) in the viewer.
    void ViewSelectedMail();
    // The list's pop-up menu at `screen`.
    void ShowListMenu(POINT screen);

    CMailboxModel& mailbox;
    CMailCheckControl& checker;
    CMailboxPageHost& host;
    Settings& settings;
    CListView list;
    CMailViewDlg viewer;
    CIconButton checkButton;
    CIconButton viewButton;
    CIconButton deleteButton;
    int rowCount = 0;
    HWND toolTips = nullptr;
    HWND focusBeforeDelete = nullptr;
    CBackgroundJob deleteJob; // last: a running delete is cancelled before the rest goes
};

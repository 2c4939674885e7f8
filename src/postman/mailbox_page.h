// The mailbox tab of the postman window ("우 편 함"): the list of the mails
// that the last check found, the arrived-count and last-check labels, and
// the picture buttons with their tool tips.
//
// The page holds no mail data: row i of the list shows element i of the
// mailbox model's `arrivedMails`, and the rows keep the order in which the
// check inserted them (the list is never sorted). Every method runs on the
// user-interface thread; the check's worker reaches them through its host.
#pragma once

#include "app/mailbox_model.h"
#include "app/settings.h"
#include "framework/calendar_time.h"
#include "postman/mail_view_dlg.h"
#include "postman/tab_page.h"
#include "widgets/icon_button.h"

#include <string>

class CMailboxPage : public CTabPage {
  public:
    // Shows `mailbox`; the check button goes to `checker`; the accounts and
    // the view button's role come from `settings`. `smallFontScreen` (see
    // IsSmallFontScreen) chooses the column widths and the viewer's layout.
    CMailboxPage(CMailboxModel& mailbox, CMailCheckControl& checker, Settings& settings,
                 bool smallFontScreen);

    // Inserts a row at `row` with the account name, sender and subject,
    // moving later rows down (an index outside 0..GetRowCount() is brought
    // to the nearer end), and scrolls the list towards its newest rows.
    void AddRow(const std::string& serverName, const std::string& sender, const std::string& subject,
                int row);
    // Deletes every row.
    void ClearRows();
    // The number of rows; also where the check appends a row.
    int GetRowCount() const { return rowCount; }

    // The check button offers to stop while a check runs and to check
    // otherwise: its icons and tool tip follow the model's `checkRunning`.
    void UpdateCheckButton();
    // "마지막 체크 : " and the time of day of `checkTime`, as "오후 3:07".
    void ShowLastCheck(CCalendarTime checkTime = CCalendarTime::Now());
    // "도착한 메일 : " and the model's `listedMailCount` as "%3d".
    void ShowArrivedCount();

    // The mail view window, made hidden with the page.
    CMailViewDlg& GetViewer() { return viewer; }
    // Hides the mail view window (a check starts or ends).
    void HideViewer();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void InsertColumns();
    void CreateToolTips();
    // Registers `button` with the tool tips (`add`), or replaces its text.
    void SetToolTip(const CIconButton& button, UINT textId, bool add);
    HWND List() const;
    // Opens the selected mail (row 0 when none is) in the viewer.
    void ViewSelectedMail();
    // The list's pop-up menu at `screen`.
    void ShowListMenu(POINT screen);
    bool OnNotify(NMHDR* header, LRESULT& result) override;

    CMailboxModel& mailbox;
    CMailCheckControl& checker;
    Settings& settings;
    const bool smallFontScreen;
    CMailViewDlg viewer;
    CIconButton checkButton;
    CIconButton viewButton;
    CIconButton deleteButton;
    int rowCount = 0;
    HWND toolTips = nullptr;
};

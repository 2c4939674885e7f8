// The postman window ("우체부 아저씨"): a caption-less pop-up that the user
// drags by its body, with a status line, the mailbox and quick-mail tabs, an
// always-on-top toggle, a hide button and a picture strip along its top.
//
// The main frame makes it when it is first shown and shows it any number of
// times; hiding never destroys it, so the list rows and the current tab survive.
// A drag keeps the window inside the desktop work area and makes it cling to
// an edge that it comes within 10 pixels of.
#pragma once

#include "framework/dialog.h"
#include "postman/mailbox_page.h"
#include "postman/page_tab_ctrl.h"
#include "postman/screen_font.h"

#include <commctrl.h>

#include <memory>
#include <string>

class CMailboxModel;
struct CMailCheckControl;
class CQuickMailPage;
struct Settings;

class CPostmanDlg : public CDialog, public CMailboxPageHost {
  public:
    // Creates the window at once: modeless, with no owner, hidden. The
    // mailbox page shows `mailbox` and starts checks through `checker`; the
    // always-on-top toggle keeps AlwaysTop of `settings`. `smallFontScreen`
    // places the advertisement and the mail view's body; the rest of the
    // layout follows the system DPI.
    CPostmanDlg(CMailboxModel& mailbox, CMailCheckControl& checker, Settings& settings,
                bool smallFontScreen = IsSmallFontScreen());
    ~CPostmanDlg() override;

    // Shows the window in its normal state and makes it the active window.
    void ShowNormal();
    // The status line at the top (control 1078).
    void SetStatusText(const std::string& text) override;
    // The status pane at the bottom (control 1134): a line or two on the
    // checks, which the main frame keeps up to date.
    void SetStatusPane(const std::string& text);
    Settings& GetSettings() override { return settings; }
    void StartReply(const std::string& recipient, const std::u16string& subject) override;
    // Minimised, then hidden: the window visibly goes away.
    void HideWindow() override;

    CPageTabCtrl& GetTabCtrl() { return tabCtrl; }
    CMailboxPage& GetMailboxPage() { return *mailboxPage; }
    CQuickMailPage& GetQuickMailPage() { return *quickMailPage; }

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;
    // Enter and Esc neither close nor destroy the window.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void CreatePages();
    void ToggleAlwaysOnTop();
    // Topmost or not, with the toggle's check state and picture to match.
    void SetAlwaysOnTop(int state);
    void FocusCurrentPage();
    void OnPaint();
    void DrawPictureStrip(HDC dc) const;
    void BeginDrag(POINT point);
    void Drag(POINT point);
    void EndDrag();

    CMailboxModel& mailbox;
    CMailCheckControl& checker;
    Settings& settings;
    const bool smallFontScreen;
    CPageTabCtrl tabCtrl;
    int alwaysOnTop = 0;
    std::unique_ptr<CMailboxPage> mailboxPage;
    std::unique_ptr<CQuickMailPage> quickMailPage;
    HIMAGELIST tabImages = nullptr;
    HWND adControl = nullptr;
    RECT workArea = {};
    short dragStartX = 0;
    short dragStartY = 0;
    int dragging = 0;
    HBITMAP hideBitmap = nullptr;
    HBITMAP toggleBitmap = nullptr;
    HBITMAP stripBitmap = nullptr;
    HICON windowIcon = nullptr;
};

// The mail view window ("메일 본문 보기"): sender, date and subject of one
// listed mail above its body, with buttons to step to the previous or next
// mail of the mailbox list, to reply and to close. It is made hidden with
// the mailbox page, shown by View and only ever hidden afterwards; it lives
// as long as the page.
#pragma once

#include "core/mailbox_model.h"
#include "core/settings.h"
#include "framework/background_job.h"
#include "framework/dialog.h"
#include "widgets/web_browser2.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class CMailViewDlg : public CDialog {
  public:
    // The reply command's work: the sender's address and the subject.
    using ReplyAction = std::function<void(const std::string& senderAddress, const std::u16string& subject)>;

    // Mails come from `mailbox`, account names from `settings`;
    // `smallFontScreen` chooses where the body starts.
    CMailViewDlg(const CMailboxModel& mailbox, const Settings& settings, bool smallFontScreen);

    // Shows mail `row` of the mailbox list (an error row shows nothing). A
    // mail whose check stored only its header is fetched whole meanwhile.
    void ViewMail(int row);
    // The row of the shown mail.
    int GetIndex() const { return index; }

    // Enables the reply button; it runs `action` for the shown mail and
    // then hides the window.
    void SetReplyAction(ReplyAction action);

    const CWebBrowser2& GetBrowser() const { return browser; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

  private:
    // Displays the mail of `index` from the members.
    void ShowMail();
    // Steps `step` rows (-1 or 1) at a time past error rows; nothing changes
    // at either end.
    void StepMail(int step);
    void Layout(int width, int height);
    // Fetches `mail` whole in the background and shows it if it is still the one shown.
    void FetchWhole(const MailHeader& mail);

    const CMailboxModel& mailbox;
    const Settings& settings;
    const bool smallFontScreen;
    // The mail's own texts are UTF-16, shown through the wide calls.
    std::u16string senderText;
    std::u16string subject;
    std::string dateText;
    std::string storeFile;
    std::string listedFile; // the store file of the shown mail's row
    // The mails fetched whole, by the header-only store file of their row.
    std::map<std::string, std::string> wholeFiles;
    std::unique_ptr<CBackgroundJob> fetchJob;
    CWebBrowser2 browser;
    std::u16string senderName;
    std::string senderAddress;
    int index = 0;
    ReplyAction replyAction;
    HICON largeIcon = nullptr;
};

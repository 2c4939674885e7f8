// The mail view window ("메일 본문 보기"): sender, date and subject of one
// listed mail above its body, with buttons to step to the previous or next
// mail of the mailbox list, to reply and to close. A mail whose stored file
// holds only its header is fetched whole in the background meanwhile. It is made hidden with
// the mailbox page, shown by View and only ever hidden afterwards; it lives
// as long as the page.
#pragma once

#include "core/mail_fetch.h"
#include "core/mailbox_model.h"
#include "core/settings.h"
#include "framework/background_job.h"
#include "framework/dialog.h"
#include "widgets/web_browser2.h"

#include <functional>
#include <memory>
#include <string>

class CMailViewDlg : public CDialog {
  public:
    // The reply command's work: the sender's address and the subject.
    using ReplyAction = std::function<void(const std::string& senderAddress, const std::u16string& subject)>;

    // Mails come from `mailbox`, account names from `settings`;
    // `smallFontScreen` chooses where the body starts.
    CMailViewDlg(const CMailboxModel& mailbox, const Settings& settings, bool smallFontScreen);

    // Shows mail `row` of the mailbox list (an error row shows nothing).
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
    // Fetches `mail` whole when its stored file holds only the header; the
    // header shows meanwhile.
    void FetchWholeMail(const MailHeader& mail);
    void OnFetchFinished(const MailFetch& fetch);
    // Forgets a running fetch: it ends unseen.
    void CancelFetch();
    // Steps `step` rows (-1 or 1) at a time past error rows; nothing changes
    // at either end.
    void StepMail(int step);
    void Layout(int width, int height);

    const CMailboxModel& mailbox;
    const Settings& settings;
    const bool smallFontScreen;
    // The mail's own texts are UTF-16, shown through the wide calls.
    std::u16string senderText;
    std::u16string subject;
    std::string dateText;
    std::string storeFile;
    CWebBrowser2 browser;
    std::u16string senderName;
    std::string senderAddress;
    int index = 0;
    ReplyAction replyAction;
    HICON largeIcon = nullptr;
    // The stored file being fetched whole, while its fetch runs.
    std::string fetchingFile;
    // Last: a running fetch is cancelled before the rest goes.
    std::unique_ptr<CBackgroundJob> fetchJob;
};

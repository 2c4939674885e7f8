// The quick-mail tab of the postman window ("빠른 메일"): a small composer
// for one mail (recipients, subject, body, at most one attachment), sent over
// SMTP with the sender, server and signature of the settings.
//
// A send runs its network part on a worker thread: the page's controls are
// disabled meanwhile, the postman window's status line tells the phase, and
// every message box appears on the user-interface thread when the send ends.
// The fields stay until the user clears them or a mail has been sent.
#pragma once

#include "framework/background_job.h"
#include "postman/tab_page.h"
#include "widgets/icon_button.h"
#include "widgets/tool_tips.h"

#include <functional>
#include <string>
#include <vector>

struct DeliveryOutcome;
struct Settings;

class CQuickMailPage : public CTabPage {
  public:
    // `settings` are read at each use; `showStatus` writes the postman
    // window's status line ("" clears it).
    CQuickMailPage(Settings& settings, std::function<void(const std::string&)> showStatus);

    // Starts an answer: the recipients become `recipient` and the subject
    // "Re: " + `subject` (always prefixed; in code page 949, with "?" for a
    // letter it lacks), and the keyboard focus goes into
    // the body. Body and attachment stay as they are. The caller then
    // switches the postman window to this tab.
    void SetReply(const std::string& recipient, const std::u16string& subject);
    // True from the start of a send until its outcome has been shown.
    bool IsSending() const { return sendJob.IsRunning(); }

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;
    // Escape never reaches the page's controls; Return outside the body
    // moves on to the next control, as Tab does.
    bool PreTranslateMessage(MSG& message) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

  private:
    void OnSend();
    void OnSendFinished(const DeliveryOutcome& outcome, const std::string& host, const std::string& path,
                        bool fieldsUnchanged);
    // Recipients, subject, body and attachment path, as the fields hold them.
    std::vector<std::string> Fields() const;
    void OnAddressBook();
    void OnAttach();
    void OnClearAll();
    void OnEditChange();
    void OnBodyChange();
    void OnAttachmentChange();
    // With the signature setting on and a body the user has not touched:
    // an empty line, then the signature.
    void InsertSignature();
    // Writes the members to the controls; the page's own writes do not
    // count as the user's changes.
    void WriteControls();
    void EnableControls(bool enable);
    // The attachment field is enabled while it holds a path and no send runs.
    void UpdateAttachmentField();
    void Tell(const std::string& text);

    Settings& settings;
    std::function<void(const std::string&)> showStatus;
    std::string recipients;
    std::string subject;
    std::string body;
    std::string attachmentPath;
    int bodyEdited = 0; // 1 once the user changed the body since the last reset
    bool writingControls = false;
    HWND focusBeforeSend = nullptr;
    CIconButton sendButton;
    CToolTips tooltip;
    CBackgroundJob sendJob; // last: a running send is cancelled before the rest goes
};

// The message view's body: shows a mail of the .eml store, given as a
// "file://" URL, as formatted Unicode text (CTextView). The mail is read and
// formatted by a background job, so a large one never holds the window; a
// loading line shows meanwhile. Nothing of the mail is fetched or run: links
// open in the shell on a click (http, https and mailto only), and the
// attachments listed after the text are saved by a double click or the
// context menu.
#pragma once

#include "framework/background_job.h"
#include "mail/message_view.h"
#include "widgets/text_view.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The control id of the message body in the mail view window.
constexpr int browserControlId = 1121;

class CWebBrowser2 : public CTextView {
  public:
    CWebBrowser2() = default;

    // Creates the control as child `id` of `parent` at `rect` (parent client
    // pixels), visible and empty. False when the window cannot be made.
    bool Create(HWND parent, const RECT& rect, int id = browserControlId);

    // Shows the message file of `url` ("file://" followed by the path as it
    // is, backslashes included) once the background job has read it; a
    // loading line shows until then. A file that cannot be read shows one
    // line that says so.
    void Navigate(const std::string& url);

    // Whether the mail is still being read and formatted; once it is not,
    // the whole message shows.
    bool IsLoading() const { return loadJob && loadJob->IsRunning(); }

    // The attachments listed under the shown message.
    const std::vector<ListedAttachment>& Attachments() const { return attachments; }
    // Writes attachment `index` (decoded) to `path`; false on failure.
    bool SaveAttachment(size_t index, const std::string& path) const;

    // What a click on an openable link does with its target; the shell
    // opens it unless this is set.
    void SetLinkOpener(std::function<void(const std::u16string& target)> opener) {
        openLink = std::move(opener);
    }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Shows `document` and notes where its links are.
    void ShowDocument(CRichDocument document);
    // The attachment or link whose text holds character `at`; -1 / null.
    int AttachmentAt(size_t at) const;
    const std::u16string* LinkAt(size_t at) const;
    // Asks where to save attachment `index` and saves it.
    void SaveWithDialog(int index);
    void ShowContextMenu(POINT screen);

    std::unique_ptr<CMimeMessage> message;
    std::vector<ListedAttachment> attachments;
    struct LinkRange {
        size_t start, end;
        std::u16string target;
    };
    std::vector<LinkRange> links;
    std::function<void(const std::u16string&)> openLink;
    // Last: a running load is cancelled before the rest goes. A new one
    // each time, as a cancelled worker may still be ending.
    std::unique_ptr<CBackgroundJob> loadJob;
};

// The message view's body: shows a mail of the .eml store, given as a
// "file://" URL, as formatted Unicode text (the rest of the program is ANSI;
// this control is a Unicode window, so every character of the mail shows).
// The mail is read and formatted by a background job, so a large one never
// holds the window; a loading line shows meanwhile. The control draws the
// text itself and lays out all of it at once in a few milliseconds (a
// rich-edit control needs about a second for a long newsletter under Wine).
// It scrolls, selects with the mouse, copies (Ctrl+C, Ctrl+A, the context
// menu) and reads back as its window text, with paragraph ends as "\r" and
// positions as in the document; EM_POSFROMCHAR answers as an edit
// control's. Nothing of the mail is fetched or run: links open in the shell
// on a click (http, https and mailto only), and the attachments listed
// after the text are saved by a double click or the context menu.
#pragma once

#include "framework/background_job.h"
#include "framework/window.h"
#include "mail/message_view.h"
#include "widgets/text_layout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The control id of the message body in the mail view window.
constexpr int browserControlId = 1121;

class CWebBrowser2 : public CWindow {
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
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Client pixels to the layout's and back.
    POINT ToText(POINT client) const;
    POINT ToClient(POINT text) const;
    // The character under a point of the client area, or CTextLayout::none.
    size_t CharacterAt(POINT point) const;
    // The attachment or link whose text holds character `at`; -1 / empty.
    int AttachmentAt(size_t at) const;
    const TextRun* LinkAt(size_t at) const;
    // Asks where to save attachment `index` and saves it.
    void SaveWithDialog(int index);
    void ShowContextMenu(POINT screen);
    // Replaces the content by the document.
    void Show(CRichDocument document);
    // Lays the text out for the client width, keeping the top row in view.
    void Wrap();
    void ScrollTo(int y);
    void UpdateScrollBar();
    void OnVerticalScroll(int request);
    void OnKeyDown(UINT key);
    void Select(size_t from, size_t to);
    void Copy() const;
    // The text of characters [from, to), paragraph ends as `lineEnd`.
    std::u16string TextBetween(size_t from, size_t to, const std::u16string& lineEnd) const;
    void Paint(HDC dc, const RECT& area);
    void PaintRow(HDC dc, size_t row, int left, int top);

    std::unique_ptr<CMimeMessage> message;
    std::vector<ListedAttachment> attachments;
    struct LinkRange {
        size_t start, end;
        const TextRun* run;
    };
    CRichDocument shown;
    CStyleFonts fonts;
    CTextLayout layout{fonts, shown};
    int scrollTop = 0;            // pixels of the text above the client area
    size_t anchor = 0, caret = 0; // the selection, from where it began
    bool selecting = false;       // the mouse is dragging a selection
    std::vector<LinkRange> links;
    std::function<void(const std::u16string&)> openLink;
    // Last: a running load is cancelled before the rest goes. A new one
    // each time, as a cancelled worker may still be ending.
    std::unique_ptr<CBackgroundJob> loadJob;
};

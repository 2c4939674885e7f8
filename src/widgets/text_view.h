// A read-only view of a formatted document that draws the text itself: it
// lays all of it out at once in a few milliseconds (a rich-edit control needs
// about a second for a long newsletter under Wine), scrolls, selects with the
// mouse, copies (Ctrl+C, Ctrl+A) and reads back as its window text, with
// paragraph ends as "\r" and positions as in the document; EM_POSFROMCHAR
// answers as an edit control's. A Unicode window, so every character shows.
#pragma once

#include "framework/window.h"
#include "mail/rich_document.h"
#include "widgets/style_fonts.h"
#include "widgets/text_layout.h"

#include <string>

class CTextView : public CWindow {
  public:
    // Creates the view as child `id` of `parent` at `rect` (parent client
    // pixels), visible and empty. False when the window cannot be made.
    bool Create(HWND parent, const RECT& rect, int id);

  protected:
    // Replaces the text by `document`, shown from its top.
    void Show(CRichDocument document);
    // The character under a point of the client area, or CTextLayout::none.
    size_t CharacterAt(POINT point) const;
    bool HasSelection() const;
    // Puts the selected text on the clipboard, paragraph ends as "\r\n".
    void Copy() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Client pixels to the layout's and back.
    POINT ToText(POINT client) const;
    POINT ToClient(POINT text) const;
    // Lays the text out for the client width, keeping the top row in view.
    void Wrap();
    // `y` within the places the text can be scrolled to.
    int LimitScroll(int y) const;
    void ScrollTo(int y);
    void UpdateScrollBar();
    void OnVerticalScroll(int request);
    void OnKeyDown(UINT key);
    void Select(size_t from, size_t to);
    // The text of characters [from, to), paragraph ends as `lineEnd`.
    std::u16string TextBetween(size_t from, size_t to, const std::u16string& lineEnd) const;
    void Paint(HDC dc, const RECT& area);
    void PaintRow(HDC dc, size_t row, int left, int top);

    CRichDocument shown;
    CStyleFonts fonts;
    CTextLayout layout{fonts, shown};
    int scrollTop = 0;            // pixels of the text above the client area
    size_t anchor = 0, caret = 0; // the selection, from where it began
    bool selecting = false;       // the mouse is dragging a selection
};

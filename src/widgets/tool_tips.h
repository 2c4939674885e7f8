// A tool-tip window for the buttons of a page or dialog. It watches each
// registered control's own messages, so nothing has to relay them.
//
// The window has no owner: under Wine an owned pop-up keeps its owner from
// becoming topmost, which would break the postman window's always-on-top
// toggle. This object destroys it.
#pragma once

#include <windows.h>

#include <string>

class CToolTips {
  public:
    CToolTips() = default;
    CToolTips(const CToolTips&) = delete;
    CToolTips& operator=(const CToolTips&) = delete;
    ~CToolTips();

    // Creates the window; false when it can't be made (tips are then missing).
    bool Create();
    HWND GetHandle() const { return window; }

    // Shows `text` for `control`, a child of `owner`; replaces an earlier text.
    void SetTip(HWND owner, HWND control, const std::string& text);

  private:
    HWND window = nullptr;
};

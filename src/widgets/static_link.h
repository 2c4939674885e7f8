// A static text control of a dialog that looks and acts like a web link:
// underlined, blue until it has been opened, purple afterwards. A click opens
// `target` through the shell; a target that cannot be opened only beeps.
//
// The owner subclasses an existing static control (Subclass) and assigns
// `target`. Static controls tell their parent, not themselves, when they are
// painted or clicked, so the owner hands its messages to OnParentMessage.
// Icon, frame and other non-text statics are painted as they are.
#pragma once

#include "framework/window.h"

#include <string>

class CStaticLink : public CWindow {
  public:
    CStaticLink() = default;
    ~CStaticLink() override;

    // Takes the colour request and the click notification that concern this
    // control; answers false for every other message. `result` is what the
    // parent's window procedure returns.
    bool OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    bool IsVisited() const { return visited; }

    COLORREF linkColor = RGB(0, 0, 255);
    COLORREF visitedColor = RGB(128, 0, 128);
    // What a click opens (a web address), independent of the text shown.
    std::string target;

  protected:
    // Turns on SS_NOTIFY, without which the control reports no clicks.
    void OnSubclassing(HWND window) override;

  private:
    // Null (default painting) for statics that show no text.
    HBRUSH OnColorRequest(HDC dc);
    void OnClicked();

    bool visited = false;
    // The control's own font, underlined; made on first paint.
    HFONT underlineFont = nullptr;
};

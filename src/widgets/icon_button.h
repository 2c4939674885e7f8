// The flat picture button of the postman window's pages. It takes over an
// existing dialog button (Subclass) and draws it itself: a face in the button
// colour, an icon in the middle, and a thin 3-D edge only while the pointer is
// over it (raised) or while it is pressed (sunken, icon shifted by a pixel).
// Drawing goes through an off-screen bitmap, so hovering does not flicker;
// the colours are the system's button colours at the time of drawing.
//
// While the pointer is over the button, the button holds the mouse capture
// so that it notices the pointer leaving. The button owns the icons it
// loaded and destroys them when it is given new ones or goes away.
#pragma once

#include "framework/window.h"
#include "widgets/icon_resources.h"

class CIconButton : public CWindow {
  public:
    // Loads icon resources of this module at their own size: `highlightId`
    // is drawn while the pointer is over the button or it is pressed,
    // `normalId` otherwise (0: the highlight icon in both states). The icon
    // is centred as a `width` x `height` picture. Redraws the button at once.
    void SetIcons(int highlightId, int normalId, int width, int height);
    // The icons in use, owned by the button (null before SetIcons).
    HICON GetHighlightIcon() const { return highlightIcon; }
    HICON GetNormalIcon() const { return normalIcon; }

  protected:
    // Turns on BS_OWNERDRAW, keeping the button's other style bits.
    void OnSubclassing(HWND window) override;
    bool OnReflectedMessage(UINT message, LPARAM lParam, LRESULT& result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Draw(const DRAWITEMSTRUCT& item) const;
    void DrawFace(HDC dc, const DRAWITEMSTRUCT& item) const;
    void OnMouseMove(WPARAM keys, POINT point);
    void Redraw() const;

    bool mouseOver = false;
    // Holds the icons of the last SetIcons only.
    CIconResources icons;
    HICON highlightIcon = nullptr;
    HICON normalIcon = nullptr; // the same handle as highlightIcon when only one was given
    int iconHeight = 0;
    int iconWidth = 0;
};

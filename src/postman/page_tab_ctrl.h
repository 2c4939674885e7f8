// The tab control of the postman window. Each tab owns one page window, a
// child of the control placed at the page origin; the control shows the page
// of the selected tab and hides the others, whether the tab is chosen by a
// click or by SelectTab.
#pragma once

#include "framework/window.h"

#include <commctrl.h>

#include <string>

class CPageTabCtrl : public CWindow {
  public:
    // Where pages are placed, in the control's client coordinates. Set it
    // before adding pages.
    void SetPageOrigin(int x, int y);
    // The control uses `images` without owning them.
    void SetImageList(HIMAGELIST images);

    // Appends a tab with `text` and image `imageIndex` that owns `page`. The
    // page moves to the page origin, keeping its size and Z order; it is
    // shown when it is the first tab and hidden otherwise.
    void AddTab(HWND page, const std::string& text, int imageIndex);
    // Selects tab `index`, hiding the current page and showing the new one.
    // True when that tab is selected afterwards, also when it already was
    // (nothing changes then); false for an index with no tab, which changes
    // nothing either.
    bool SelectTab(int index);
    // The selected tab, or -1.
    int GetCurrentTab() const;
    // The page window of tab `index`, or null when there is no such tab.
    HWND GetPage(int index) const;

  protected:
    bool OnReflectedMessage(UINT message, LPARAM lParam, LRESULT& result) override;

  private:
    void ShowPage(int index, bool show) const;

    // The tab that was selected when a click started changing the selection.
    int previousSelection = -1;
    int pageOriginX = -2;
    int pageOriginY = 22;
};

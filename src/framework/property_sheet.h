// A modal property sheet of pages made from dialog resources. Each page is a
// dialog object bound to its page window: it works on its own copy of the
// values, is validated when the user leaves it (UpdateData(true) by default),
// and writes its values where they belong only when OK or Apply is pressed.
// A page that was never shown is never applied.
#pragma once

#include "framework/dialog.h"

#include <string>
#include <utility>
#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog {
  public:
    // `templateId`: a child dialog resource; its caption is the tab's title.
    explicit CPropertyPage(int templateId) : CDialog(templateId) {}

    // Marks the page changed, which enables the sheet's Apply button, or
    // unchanged again. Ignored while the page initialises, so controls filled
    // in OnInitDialog do not count as the user's changes.
    void SetModified(bool modified = true);
    bool IsModified() const { return modified; }

  protected:
    // The page is about to be shown.
    virtual void OnSetActive() {}
    // The user leaves the page, or presses OK or Apply: false keeps the user
    // on this page. The default reads and validates the controls.
    virtual bool OnKillActive() { return UpdateData(true); }
    // OK or Apply, after every shown page has been validated: write the
    // values. False keeps the sheet open on this page. The default clears the
    // modified state; overrides end by calling it.
    virtual bool OnApply();
    // Cancel: the sheet closes without applying.
    virtual void OnReset() {}

    // Enter or Esc that reach the page press the sheet's OK or Cancel.
    void OnOK() override;
    void OnCancel() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    friend class CPropertySheet;

    static INT_PTR CALLBACK StaticPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CPropertySheet* sheet = nullptr;
    bool modified = false;
    bool initializing = false;
};

class CPropertySheet : public CWindow {
  public:
    explicit CPropertySheet(std::string caption, int startPage = 0)
        : caption(std::move(caption)), startPage(startPage) {}

    // Pages show in the order added. The sheet does not own them; they must
    // live while it runs.
    void AddPage(CPropertyPage& page);

    // Runs the sheet modally. IDOK when OK closed it (every shown page was
    // applied); IDCANCEL otherwise (what an earlier Apply wrote stays); -1 when
    // the sheet could not be created.
    INT_PTR DoModal(HWND parent);

    // The position of the page shown now, or -1.
    int GetActiveIndex() const;
    // Shows page `index` as a click on its tab would: false when the current
    // page refuses to be left.
    bool SetActiveIndex(int index);

  protected:
    // The sheet's window exists and is not shown yet (the place to make it topmost).
    virtual void OnInitSheet() {}
    // OK or Apply has applied every shown page; `closing` for OK. The place
    // for what follows every change of the values (saving, re-arming).
    virtual void OnApplied(bool /*closing*/) {}

  private:
    friend class CPropertyPage;

    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    // A page has applied its values; the last shown page ends the round.
    void PageApplied(const CPropertyPage& page, bool closing);

    std::string caption;
    int startPage;
    std::vector<CPropertyPage*> pages;
    INT_PTR closedWith = IDCANCEL;
};

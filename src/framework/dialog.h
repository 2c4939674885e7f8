// Dialogs made from dialog resources, modal or modeless. Controls and
// members are paired once in DoDataExchange; UpdateData(true) reads the
// controls into the members (and validates), UpdateData(false) fills them.
#pragma once

#include "framework/window.h"

class CDataExchange;

// Registers the common controls' window classes (list views, tabs, tool
// tips, property sheets) the first time a dialog needs them, so that a
// program showing none never loads the library.
void LoadCommonControls();

class CDialog : public CWindow {
  public:
    explicit CDialog(int templateId) : templateId(templateId) {}

    // Runs the dialog modally; returns the code given to EndDialog, or -1
    // when the dialog could not be created.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless (hidden unless its resource has WS_VISIBLE).
    bool Create(HWND parent);

    bool UpdateData(bool saveAndValidate);
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(int result);

    int GetTemplateId() const { return templateId; }

  protected:
    // Return true to let the system focus the first control.
    virtual bool OnInitDialog();
    // IDOK: UpdateData(true) and close; IDCANCEL: close.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange& /*dx*/) {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    // WM_DESTROY, while the controls still exist.
    virtual void OnDestroy() {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy(HWND window) override;

    // A dialog procedure's work once the object behind `window` is known
    // (null before it is bound): dispatches and answers as dialog procedures do.
    static INT_PTR RunDialogProc(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId;
    bool modal = false;
    bool messageHandled = false;
};

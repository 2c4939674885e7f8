// A page of the postman window's tab control: a child dialog that ignores
// Enter and Esc, so a keystroke never closes it. Pages leave the keyboard
// focus alone while they are created hidden.
#pragma once

#include "framework/dialog.h"

class CTabPage : public CDialog {
  public:
    using CDialog::CDialog;

  protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        return false;
    }
    void OnOK() override {}
    void OnCancel() override {}
};

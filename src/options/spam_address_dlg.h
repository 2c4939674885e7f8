// "단어 입력": asks for one sender address to add to the spam list. OK
// strips the blanks around the text and stays open, without a message,
// while nothing is left.
#pragma once

#include "framework/dialog.h"

#include <string>

class CSpamAddressDlg : public CDialog {
  public:
    CSpamAddressDlg();

    // The address as typed, without the blanks around it once OK is accepted.
    std::string address;

  protected:
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;
};

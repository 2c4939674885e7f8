// The program-password prompt ("비밀번호 확인"). It guards the options sheet
// while the program password is on: only its OK result grants access. It
// refuses by itself 10 seconds after it opens, typing or not, and a wrong
// password closes it as refused without a message.
#pragma once

#include "core/settings.h"
#include "framework/dialog.h"

#include <string>

class CPasswordDlg : public CDialog {
  public:
    // `password` is the program password the typed text must equal byte for byte.
    explicit CPasswordDlg(std::string password);

    // The text of the password edit, kept current while the user types.
    std::string typedPassword;

  protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnTimer(UINT_PTR id) override;

  private:
    std::string password;
};

// True when the settings set no program password (`PasswordYN` off) or
// when the user typed it into the prompt in time.
bool AskProgramPassword(const Settings& settings, HWND owner);

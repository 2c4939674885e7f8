// "보내는 메일": the outgoing (SMTP) server and port, the sender's name and
// address for quick mail, and the signature put into a new mail's body.
#pragma once

#include "options/option_page.h"

#include <string>

class COptionPage2 : public COptionPage {
  public:
    explicit COptionPage2(COptionRecord& record);

  protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    bool OnApply() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    std::string smtpAddress;
    int smtpPort = 0;
    std::string userName;
    std::string userMail;
    int signYN = 0;
    std::string sign;
};

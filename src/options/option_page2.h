// "보내는 메일": the outgoing (SMTP) server and port, the sender's name and
// address for quick mail, the signature put into a new mail's body, and how
// the connection is protected and whether the sender logs in. A login over
// a plain connection is kept only after the user confirmed it. "인증서 확인"
// does for the outgoing server what it does for an account.
#pragma once

#include "options/certificate_trust.h"
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
    void EnableLogin();
    // Whether the login can be kept: an id given, and a plain login
    // confirmed once.
    bool ConfirmLogin();
    void CheckCertificate();

    std::string smtpAddress;
    int smtpPort = 0;
    std::string userName;
    std::string userMail;
    int signYN = 0;
    std::string sign;
    int smtpSecurity = 0;
    int smtpAuthYN = 0;
    std::string smtpID;
    std::string smtpPassword;
    CCertificateTrust trust;
};

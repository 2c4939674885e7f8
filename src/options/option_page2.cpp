#include "options/option_page2.h"

#include "framework/data_exchange.h"
#include "mail/ascii_text.h"
#include "options/option_fields.h"
#include "options/preset_hosts.h"
#include "resource.h"

COptionPage2::COptionPage2(COptionRecord& record) : COptionPage(IDD_OPTION_OUTGOING, record) {}

void COptionPage2::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_SMTP_ADDRESS, smtpAddress);
    dx.Text(IDC_USER_NAME, userName);
    dx.Text(IDC_USER_MAIL, userMail);
    dx.Check(IDC_SIGN_YN, signYN);
    dx.Text(IDC_SIGN, sign);
    ExchangePort(dx, IDC_SMTP_PORT, smtpPort);
}

bool COptionPage2::OnInitDialog() {
    const Settings& settings = record.Current();
    smtpAddress = settings.SMTPAddress;
    smtpPort = settings.SMTPPort;
    userName = settings.UserName;
    userMail = settings.UserMail;
    SetPortSpinRange(*this, IDC_PORT_SPIN);
    AddPresetHosts(GetItem(IDC_SMTP_ADDRESS), smtpPresetHosts);
    signYN = settings.SignYN;
    EnableWindow(GetItem(IDC_SIGN), signYN == 1);
    sign = settings.Sign;
    FillControls();
    return true;
}

bool COptionPage2::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_SMTP_PORT:
    case IDC_USER_NAME:
    case IDC_USER_MAIL:
        if (code != EN_CHANGE)
            return false;
        MarkModified();
        return true;
    case IDC_SMTP_ADDRESS:
        // Typing in the edit part counts; choosing a preset alone does not.
        if (code != CBN_EDITCHANGE)
            return false;
        MarkModified();
        return true;
    case IDC_SIGN_YN:
        if (code != BN_CLICKED)
            return false;
        UpdateData(true);
        EnableWindow(GetItem(IDC_SIGN), signYN == BST_CHECKED);
        MarkModified();
        return true;
    case IDC_SIGN:
        if (code != EN_CHANGE)
            return false;
        sign = GetItemText(IDC_SIGN);
        MarkModified();
        return true;
    }
    return false;
}

bool COptionPage2::OnKillActive() {
    if (!UpdateData(true))
        return false;
    smtpAddress = TrimWhiteSpace(smtpAddress);
    userName = TrimWhiteSpace(userName);
    userMail = TrimWhiteSpace(userMail);
    FillControls();
    // A page left wholly blank means quick mail is not used; once the sender
    // is given, the server must be usable too.
    bool unused = smtpAddress.empty() && userName.empty() && userMail.empty();
    std::string problem = unused ? "" : HostNameProblem(smtpAddress, "보내는 메일 서버 주소");
    if (!problem.empty()) {
        CDataExchange dx(*this, true);
        dx.Fail(IDC_SMTP_ADDRESS, problem);
        return false;
    }
    return true;
}

bool COptionPage2::OnApply() {
    Settings& settings = record.Pending();
    settings.SMTPAddress = smtpAddress;
    settings.SMTPPort = smtpPort;
    settings.UserName = userName;
    settings.UserMail = userMail;
    settings.SignYN = signYN;
    settings.Sign = sign;
    return COptionPage::OnApply();
}

#include "options/option_page2.h"

#include "core/user_texts.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "base/ascii_text.h"
#include "mail/connection_security.h"
#include "mail/smtp_session.h"
#include "options/option_fields.h"
#include "options/preset_hosts.h"
#include "resource.h"

namespace {

// In the order of ConnectionSecurity.
const char* const securityTexts[] = {
    "사용 안 함",
    "TLS 연결 (포트 465)",
    "STARTTLS (포트 587)",
};

CertificateProbe ProbeSmtpServer(const std::string& host, int port, ConnectionSecurity security,
                                 const std::string& trusted, const std::atomic<int>* running) {
    CSmtpSession session;
    session.SetSecurity(security, trusted);
    session.SetStopFlag(running);
    CertificateProbe probe;
    probe.connected = session.Open(host, port);
    probe.certificateRefused = IsCertificateFailure(session.GetTlsFailure());
    probe.fingerprint = session.GetCertificateFingerprint();
    const std::string reason = SmtpFailureText(session.GetError());
    probe.errorText = probe.certificateRefused ? reason
                                               : "SMTP 서버(" + host + ")에 연결할 수 없습니다." +
                                                     (reason.empty() ? "" : "\r\n\r\n" + reason);
    session.Close();
    return probe;
}

} // namespace

COptionPage2::COptionPage2(COptionRecord& record) : COptionPage(IDD_OPTION_OUTGOING, record) {}

void COptionPage2::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_SMTP_ADDRESS, smtpAddress);
    dx.Text(IDC_USER_NAME, userName);
    dx.Text(IDC_USER_MAIL, userMail);
    dx.Check(IDC_SIGN_YN, signYN);
    dx.Text(IDC_SIGN, sign);
    dx.ComboIndex(IDC_SMTP_SECURITY, smtpSecurity);
    dx.Check(IDC_SMTP_AUTH_YN, smtpAuthYN);
    dx.Text(IDC_SMTP_ID, smtpID);
    dx.Text(IDC_SMTP_PASSWORD, smtpPassword);
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
    signYN = settings.SignYN ? BST_CHECKED : BST_UNCHECKED;
    EnableWindow(GetItem(IDC_SIGN), settings.SignYN);
    sign = settings.Sign;
    trust.Reset(settings.SMTPTrustedCertificate, settings.SMTPAddress, settings.SMTPPort);
    smtpSecurity = FillSecurityChoices(*this, IDC_SMTP_SECURITY, securityTexts, settings.SMTPSecurity);
    smtpAuthYN = settings.SMTPAuthYN ? BST_CHECKED : BST_UNCHECKED;
    smtpID = settings.SMTPID;
    smtpPassword = settings.SMTPPassword;
    EnableLogin();
    FillControls();
    return true;
}

bool COptionPage2::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_SMTP_PORT:
    case IDC_USER_NAME:
    case IDC_USER_MAIL:
    case IDC_SMTP_ID:
    case IDC_SMTP_PASSWORD:
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
    case IDC_SMTP_SECURITY:
        if (code != CBN_SELCHANGE)
            return false;
        SuggestUsualPort(*this, IDC_SMTP_SECURITY, IDC_SMTP_PORT, UsualSmtpPort, {25, 465, 587});
        MarkModified();
        return true;
    case IDC_SMTP_CHECK_CERTIFICATE:
        if (code != BN_CLICKED)
            return false;
        CheckCertificate();
        MarkModified(); // a trust given is kept by Apply
        return true;
    case IDC_SMTP_AUTH_YN:
        if (code != BN_CLICKED)
            return false;
        smtpAuthYN = IsDlgButtonChecked(handle, IDC_SMTP_AUTH_YN);
        EnableLogin();
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
    return ConfirmLogin();
}

void COptionPage2::EnableLogin() {
    for (int id : {IDC_SMTP_ID, IDC_SMTP_PASSWORD})
        EnableWindow(GetItem(id), smtpAuthYN == BST_CHECKED);
}

bool COptionPage2::ConfirmLogin() {
    if (smtpAuthYN != BST_CHECKED)
        return true;
    smtpID = TrimWhiteSpace(smtpID);
    FillControls();
    if (smtpID.empty()) {
        CDataExchange dx(*this, true);
        dx.Fail(IDC_SMTP_ID, "메일 서버에 로그인할 사용자 아이디를 입력 하시기 바랍니다.");
        return false;
    }
    // A password in plain is the user's explicit choice, asked once.
    const Settings& settings = record.Current();
    const bool plainBefore =
        settings.SMTPAuthYN && SecurityOf(settings.SMTPSecurity) == ConnectionSecurity::None;
    if (SecurityOf(smtpSecurity) != ConnectionSecurity::None || plainBefore)
        return true;
    return ShowMessage(handle,
                       "보안 연결 없이 로그인하면 패스워드가 암호화되지 않은 채로 전송됩니다. "
                       "그래도 보안 연결 없이 로그인하시겠습니까?",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void COptionPage2::CheckCertificate() {
    if (!UpdateData(true))
        return;
    smtpAddress = TrimWhiteSpace(smtpAddress);
    FillControls();
    trust.Check(*this, "보내는 메일 서버 주소", smtpAddress, smtpPort, SecurityOf(smtpSecurity),
                ProbeSmtpServer,
                {IDC_SMTP_ADDRESS, IDC_SMTP_PORT, IDC_SMTP_SECURITY, IDC_SMTP_CHECK_CERTIFICATE});
}

bool COptionPage2::OnApply() {
    Settings& settings = record.Pending();
    settings.SMTPAddress = smtpAddress;
    settings.SMTPPort = smtpPort;
    settings.UserName = userName;
    settings.UserMail = userMail;
    settings.SignYN = signYN == BST_CHECKED;
    settings.Sign = sign;
    settings.SMTPSecurity = StoredSecurityOf(smtpSecurity, settings.SMTPSecurity);
    // As for an account: a trust goes with its server, never to another.
    settings.SMTPTrustedCertificate = trust.For(smtpAddress, smtpPort);
    settings.SMTPAuthYN = smtpAuthYN == BST_CHECKED;
    settings.SMTPID = smtpID;
    settings.SMTPPassword = smtpPassword;
    return COptionPage::OnApply();
}

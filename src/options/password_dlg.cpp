#include "options/password_dlg.h"

#include "framework/data_exchange.h"
#include "resource.h"

namespace {
constexpr UINT_PTR refusalTimer = 0;
constexpr UINT refusalMilliseconds = 10000;
} // namespace

CPasswordDlg::CPasswordDlg(std::string password) : CDialog(IDD_PASSWORD), password(std::move(password)) {}

void CPasswordDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_PASSWORD_INPUT, typedPassword);
}

bool CPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // One shot from the moment the prompt opens; typing does not restart it.
    SetTimer(handle, refusalTimer, refusalMilliseconds, nullptr);
    return true;
}

bool CPasswordDlg::OnCommand(int id, int code, HWND) {
    if (id == IDC_PASSWORD_INPUT && code == EN_CHANGE) {
        UpdateData(true);
        return true;
    }
    return false;
}

void CPasswordDlg::OnOK() {
    UpdateData(true);
    // The whole text, byte for byte: no trimming, letter case counts.
    EndDialog(typedPassword == password ? IDOK : IDCANCEL);
}

void CPasswordDlg::OnTimer(UINT_PTR id) {
    if (id != refusalTimer)
        return;
    KillTimer(handle, refusalTimer);
    OnCancel();
}

bool AskProgramPassword(const Settings& settings, HWND owner) {
    if (!settings.PasswordYN)
        return true;
    CPasswordDlg prompt(settings.Password);
    return prompt.DoModal(owner) == IDOK;
}

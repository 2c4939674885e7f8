#include "options/spam_address_dlg.h"

#include "framework/data_exchange.h"
#include "base/ascii_text.h"
#include "resource.h"

CSpamAddressDlg::CSpamAddressDlg() : CDialog(IDD_SPAM_ADDRESS) {}

void CSpamAddressDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_SPAM_ADDRESS, address);
}

bool CSpamAddressDlg::OnCommand(int id, int code, HWND) {
    if (id == IDC_SPAM_ADDRESS && code == EN_CHANGE) {
        UpdateData(true);
        return true;
    }
    return false;
}

void CSpamAddressDlg::OnOK() {
    UpdateData(true);
    address = TrimWhiteSpace(address);
    UpdateData(false);
    if (!address.empty())
        EndDialog(IDOK);
}

#include "app/about_dlg.h"

#include "widgets/web_site.h"
#include "resource.h"
#include "widgets/upgrade_dlg.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

bool CAboutDlg::OnInitDialog() {
    homeLink.Subclass(GetItem(IDC_HOME_LINK));
    homeLink.target = homePageUrl;
    downloadLink.Subclass(GetItem(IDC_DOWNLOAD_LINK));
    downloadLink.target = downloadSiteUrl;
    return CDialog::OnInitDialog();
}

LRESULT CAboutDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (homeLink.OnParentMessage(message, wParam, lParam, result) ||
        downloadLink.OnParentMessage(message, wParam, lParam, result))
        return result;
    return CDialog::WindowProc(message, wParam, lParam);
}

bool CAboutDlg::OnCommand(int id, int code, HWND) {
    if (id == IDC_ABOUT_ICON && code == STN_CLICKED) {
        MessageBeep(MB_OK);
        SendDlgItemMessageA(handle, IDC_ABOUT_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(
                                LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ABOUT_OPENED))),
                            0);
        return true;
    }
    if (id == IDC_ABOUT_UPGRADE && code == BN_CLICKED) {
        CUpgradeDlg upgrade;
        upgrade.DoModal(handle);
        return true;
    }
    return false;
}

void ShowAboutBox(HWND owner) {
    MessageBeep(MB_OK);
    CAboutDlg about;
    about.DoModal(owner);
}

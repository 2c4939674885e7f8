#include "widgets/upgrade_dlg.h"

#include "net/version_fetch.h"
#include "resource.h"

#include <memory>

CUpgradeDlg::CUpgradeDlg(std::string versionFile)
    : CDialog(IDD_UPGRADE), versionFile(std::move(versionFile)) {}

bool CUpgradeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetItemText(IDC_UPGRADE_RESULT, "최신 버전을 확인하고 있습니다...");
    auto version = std::make_shared<std::string>();
    fetch.Start([url = versionFile, version](CJobControl& job) { *version = FetchLatestVersion(url, job); },
                [this, version] { ShowVersion(*version); });
    return true;
}

void CUpgradeDlg::ShowVersion(const std::string& version) {
    if (version == connectionFailedText)
        SetItemText(IDC_UPGRADE_RESULT, "서버 연결을 실패 했습니다.");
    else
        SetItemText(IDC_UPGRADE_RESULT, "다운 받을 수 있는 가장 최신 버전은 " + version + " 버전 입니다.");
}

void CUpgradeDlg::OnOK() {
    fetch.Cancel();
    OpenWebPage(homePageUrl);
    EndDialog(IDOK);
}

void CUpgradeDlg::OnCancel() {
    fetch.Cancel();
    EndDialog(IDCANCEL);
}

#include "widgets/upgrade_dlg.h"

#include "framework/application.h"
#include "net/version_fetch.h"
#include "resource.h"

#include <memory>

void StartVersionFetch(CBackgroundJob& job, const std::string& url,
                       std::function<void(const std::optional<std::string>&)> done) {
    auto version = std::make_shared<std::optional<std::string>>();
    job.LetGoOnCancel();
    job.Start([url, version,
               agent = CApplication::Name()](CJobControl&) { *version = FetchLatestVersion(url, agent); },
              [version, done = std::move(done)] { done(*version); });
}

CUpgradeDlg::CUpgradeDlg(std::string versionFile)
    : CDialog(IDD_UPGRADE), versionFile(std::move(versionFile)) {}

bool CUpgradeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetItemText(IDC_UPGRADE_RESULT, "최신 버전을 확인하고 있습니다...");
    StartVersionFetch(fetch, versionFile,
                      [this](const std::optional<std::string>& version) { ShowVersion(version); });
    return true;
}

void CUpgradeDlg::ShowVersion(const std::optional<std::string>& version) {
    if (!version)
        SetItemText(IDC_UPGRADE_RESULT, "서버 연결을 실패 했습니다.");
    else
        SetItemText(IDC_UPGRADE_RESULT, "다운 받을 수 있는 가장 최신 버전은 " + *version + " 버전 입니다.");
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

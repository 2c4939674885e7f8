// "업그레이드 체크": reads the maker's version file on a worker thread and
// names the latest version; its first button opens the home page. The window
// answers while the server is being asked, and closing it abandons the fetch.
#pragma once

#include "widgets/web_site.h"
#include "framework/background_job.h"
#include "framework/dialog.h"

#include <functional>
#include <optional>
#include <string>

// Reads the version file at `url` on `job`'s worker; `done` gets the version
// (nothing when it could not be read) on this thread. A cancelled fetch is
// not waited for: it ends by its own time-outs.
void StartVersionFetch(CBackgroundJob& job, const std::string& url,
                       std::function<void(const std::optional<std::string>&)> done);

class CUpgradeDlg : public CDialog {
  public:
    explicit CUpgradeDlg(std::string versionFile = versionFileUrl);

  protected:
    bool OnInitDialog() override;
    // Opens the home page, then closes.
    void OnOK() override;
    void OnCancel() override;

  private:
    void ShowVersion(const std::optional<std::string>& version);

    std::string versionFile;
    CBackgroundJob fetch;
};

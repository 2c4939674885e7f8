#include "app/upgrade_check.h"

#include "net/version_fetch.h"
#include "framework/message_box.h"

#include <memory>

namespace {

void OfferNewVersion(const std::string& version, const std::string& ownVersion) {
    if (version == connectionFailedText || version.empty() || version == ownVersion)
        return;
    std::string text = "다운 받을 수 있는 가장 최신 버전은 " + version +
                       " 버전 입니다.\n\n홈페이지로 이동하셔서 다운로드 받으시겠습니까?";
    if (ShowMessage(nullptr, text, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        OpenWebPage(homePageUrl);
}

} // namespace

void CUpgradeCheck::CheckUpgradeAtStart(const std::string& ownVersion, const std::string& versionFile) {
    auto version = std::make_shared<std::string>();
    fetch.Start([versionFile, version](CJobControl& job) { *version = FetchLatestVersion(versionFile, job); },
                [version, ownVersion] { OfferNewVersion(*version, ownVersion); });
}

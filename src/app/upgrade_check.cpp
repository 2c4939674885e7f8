#include "app/upgrade_check.h"

#include "framework/message_box.h"
#include "widgets/upgrade_dlg.h"

namespace {

void OfferNewVersion(const std::optional<std::string>& version, const std::string& ownVersion) {
    if (!version || version->empty() || *version == ownVersion)
        return;
    std::string text = "다운 받을 수 있는 가장 최신 버전은 " + *version +
                       " 버전 입니다.\n\n홈페이지로 이동하셔서 다운로드 받으시겠습니까?";
    if (ShowMessage(nullptr, text, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        OpenWebPage(homePageUrl);
}

} // namespace

void CUpgradeCheck::CheckUpgradeAtStart(const std::string& ownVersion, const std::string& versionFile) {
    StartVersionFetch(fetch, versionFile, [ownVersion](const std::optional<std::string>& version) {
        OfferNewVersion(version, ownVersion);
    });
}

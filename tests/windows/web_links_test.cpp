#include "app/about_dlg.h"
#include "app/upgrade_check.h"
#include "net/version_fetch.h"
#include "dialog_answerer.h"
#include "resource.h"
#include "test_dialogs.h"
#include "widgets/static_link.h"
#include "widgets/upgrade_dlg.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace {

// The address of one kind of version file on the test server (see
// tests/peers/version_server.py).
std::string VersionFile(const std::string& kind) {
    const int port = PortIn(std::string(TIDEMARK_VERSION_SERVER_DIR) + "/port");
    return "http://127.0.0.1:" + std::to_string(port) + "/" + kind + "/NewVersion";
}

// The paths the test server was asked for, one a line.
std::string ServerRequests() {
    return ReadFileBytes(std::string(TIDEMARK_VERSION_SERVER_DIR) + "/requests");
}

const char checkingText[] = "최신 버전을 확인하고 있습니다...";

} // namespace

TEST(VersionFetch, ReadsTheVersionFileWithoutLineEnds) {
    const struct {
        const char* kind;
        std::optional<std::string> version; // nothing: the fetch failed
    } cases[] = {
        {"same", "4.7.0"},
        {"newer", "4.8.0"},
        {"split", "4.8.0"}, // lines joined
        {"empty", ""},
        {"huge", "4.9.0"},         // the cut-off 10 MB line is left out
        {"missing", std::nullopt}, // a 404 page is not a version
    };
    for (const auto& c : cases)
        EXPECT_EQ(FetchLatestVersion(VersionFile(c.kind), "Tidemark"), c.version) << c.kind;
    EXPECT_EQ(FetchLatestVersion("http://127.0.0.1:1/NewVersion", "Tidemark"), std::nullopt);
}

TEST(VersionFetch, AServerThatNeverAnswersFailsAfterTheTimeout) {
    EXPECT_EQ(FetchLatestVersion(VersionFile("silent"), "Tidemark", 1000), std::nullopt);
}

TEST(UpgradeDialog, NamesTheLatestVersionOnceTheServerHasAnswered) {
    const struct {
        const char* kind;
        std::string text;
    } cases[] = {
        {"newer", "다운 받을 수 있는 가장 최신 버전은 4.8.0 버전 입니다."},
        {"empty", "다운 받을 수 있는 가장 최신 버전은  버전 입니다."},
        {"missing", "서버 연결을 실패 했습니다."},
    };
    for (const auto& c : cases) {
        CUpgradeDlg dialog(VersionFile(c.kind));
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_TRUE(
            PumpMessagesUntil([&] { return dialog.GetItemText(IDC_UPGRADE_RESULT) != checkingText; }));
        EXPECT_EQ(dialog.GetItemText(IDC_UPGRADE_RESULT), c.text) << c.kind;
    }
}

TEST(UpgradeDialog, ClosesAtOnceWhileTheServerKeepsSilent) {
    ULONGLONG start = GetTickCount64();
    {
        CUpgradeDlg dialog(VersionFile("silent"));
        ASSERT_TRUE(dialog.Create(nullptr));
        PumpMessagesUntil([] { return false; }, 300);
        EXPECT_EQ(dialog.GetItemText(IDC_UPGRADE_RESULT), checkingText);
        HWND window = dialog.GetHandle();
        ClickButton(window, IDCANCEL, Delivery::Posted);
        EXPECT_TRUE(PumpMessagesUntil([&] { return !IsWindow(window); }));
    }
    // Well within the fetch's own time-out, which the closed dialog does not wait for.
    EXPECT_LT(GetTickCount64() - start, versionFetchTimeoutMs / 3);
}

TEST(StartupUpgradeCheck, AsksOnlyWhenTheServerNamesAnotherVersion) {
    const struct {
        const char* kind;
        bool asks;
    } cases[] = {{"newer", true}, {"same", false}, {"empty", false}, {"missing", false}};
    for (const auto& c : cases) {
        const size_t seen = ServerRequests().size();
        CUpgradeCheck check;
        CDialogAnswerer answerer("Tidemark", IDNO, c.asks ? 15000 : 2000);
        check.CheckUpgradeAtStart("4.7.0", VersionFile(c.kind));
        EXPECT_EQ(answerer.Wait(), c.asks) << c.kind;
        // Not asking counts only when the check did ask the server.
        EXPECT_NE(ServerRequests().find(std::string("/") + c.kind + "/NewVersion\n", seen), std::string::npos)
            << c.kind;
        if (c.asks) {
            EXPECT_EQ(answerer.GetText(), "다운 받을 수 있는 가장 최신 버전은 4.8.0 버전 입니다.\n\n"
                                          "홈페이지로 이동하셔서 다운로드 받으시겠습니까?");
        }
    }
}

TEST(AboutBox, ClickingThePictureOpensTheEnvelopeForGood) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    HWND picture = about.GetItem(IDC_ABOUT_ICON);
    HICON opened = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ABOUT_OPENED));
    auto shown = [&] { return reinterpret_cast<HICON>(SendMessageA(picture, STM_GETICON, 0, 0)); };
    EXPECT_NE(shown(), opened);
    for (int click = 0; click < 2; ++click) {
        PressOn(picture, {2, 2}, Delivery::Posted);
        EXPECT_TRUE(PumpMessagesUntil([&] { return shown() == opened; })) << click;
    }
}

namespace {

class CLinkDialog : public CDialog {
  public:
    CLinkDialog() : CDialog(IDD_TEST_LINKS) {}
    CStaticLink link;
    CStaticLink iconLink;

  protected:
    bool OnInitDialog() override {
        link.Subclass(GetItem(IDC_TEST_LINK));
        iconLink.Subclass(GetItem(IDC_TEST_ICON_LINK));
        return CDialog::OnInitDialog();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (link.OnParentMessage(message, wParam, lParam, result) ||
            iconLink.OnParentMessage(message, wParam, lParam, result))
            return result;
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// The text colour and underlining the dialog asks for when `control` paints.
std::pair<COLORREF, bool> PaintedAs(CLinkDialog& dialog, CStaticLink& control) {
    CTestCanvas canvas(4, 4, RGB(255, 255, 255));
    SendMessageA(dialog.GetHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.GetDC()),
                 reinterpret_cast<LPARAM>(control.GetHandle()));
    LOGFONTA font = {};
    GetObjectA(GetCurrentObject(canvas.GetDC(), OBJ_FONT), sizeof font, &font);
    return {GetTextColor(canvas.GetDC()), font.lfUnderline != 0};
}

} // namespace

TEST(StaticLink, TurnsPurpleOnlyWhenItsTargetOpens) {
    const struct {
        const char* target;
        bool opens;
    } cases[] = {{"Z:\\no\\such\\page.html", false}, {"C:\\windows\\system32\\hostname.exe", true}};
    for (const auto& c : cases) {
        CLinkDialog dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.link.target = c.target;
        EXPECT_EQ(PaintedAs(dialog, dialog.link), std::make_pair(RGB(0, 0, 255), true));
        PressOn(dialog.link.GetHandle(), {2, 2}, Delivery::Posted);
        PumpMessagesUntil([&] { return dialog.link.IsVisited(); }, 2000);
        EXPECT_EQ(dialog.link.IsVisited(), c.opens) << c.target;
        EXPECT_EQ(PaintedAs(dialog, dialog.link).first, c.opens ? RGB(128, 0, 128) : RGB(0, 0, 255));
        // A picture is painted as it is, whatever the link's state.
        auto picture = PaintedAs(dialog, dialog.iconLink);
        EXPECT_FALSE(picture.second);
        EXPECT_NE(picture.first, RGB(0, 0, 255));
    }
}

#include "app/main_frame.h"
#include "dialog_answerer.h"
#include "framework/registry_profile.h"
#include "option_sheet_driver.h"
#include "options/server_prop_dlg.h"
#include "postman/postman_dlg.h"
#include "program_process.h"
#include "resource.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int applyButtonId = 0x3021;

// A main frame started from the registry, whose options window the tests
// open from the tray.
class OptionSheetTest : public testing::Test {
  protected:
    void SetUp() override {
        ClearProgramSettings();
        app.SetRegistryKey("Harrowby");
        profile.WriteInt("Setting", "StartCheck", 0);
    }
    void TearDown() override {
        if (frame && frame->IsCreated()) {
            app.SetMainWindow(nullptr);
            DestroyWindow(frame->GetHandle());
        }
        frame.reset();
        ClearProgramSettings();
    }

    void StoreServer(int index, const std::string& name, const std::string& lastMailDate = "") {
        std::string section = ServerSection(index);
        profile.WriteInt("POP3", "ServerNumber", index + 1);
        profile.WriteString(section, "Name", name);
        profile.WriteString(section, "Address", "pop." + name + ".example");
        profile.WriteString(section, "ID", name + "-id");
        profile.WriteString(section, "LastMailDate", lastMailDate);
    }

    void StartProgram() {
        frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->Create("Tidemark", WS_OVERLAPPEDWINDOW, IDR_TRAY_MENU));
        app.SetMainWindow(frame->GetHandle());
    }

    void UseOptions(const std::function<void(HWND sheet)>& act) { UseOptionSheet(frame->GetHandle(), act); }
    const Settings& Stored() { return frame->GetSettings(); }

    static HWND ServerList(HWND sheet) { return GetDlgItem(CurrentPage(sheet), IDC_SERVER_LIST); }

    CTestApplication app;
    CRegistryProfile profile{"Harrowby", "Tidemark"};
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(OptionSheetTest, AServerAddedWithTheDefaultsIsCheckedWithPort110AndTheBell) {
    StartProgram();
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        Click(CurrentPage(sheet), IDC_ADD_SERVER);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        TypeServer(dialog, {"집", "pop.naver.com", "alice", "", ""});
        Click(dialog, IDOK);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_EQ(RowText(ServerList(sheet), 0, 0), "집");
        EXPECT_EQ(RowText(ServerList(sheet), 0, 1), "alice");
        Click(sheet, IDOK);
    });
    ASSERT_EQ(Stored().servers.size(), 1u);
    const ServerEntry& server = Stored().servers[0];
    EXPECT_EQ(server.Port, 110);
    EXPECT_EQ(server.CheckAlgorithm, 0);
    EXPECT_EQ(server.MailClient, 1);
    EXPECT_EQ(server.Notify, 9);
    EXPECT_EQ(server.CheckYN, 1);
    EXPECT_EQ(server.WaveFile, DefaultWaveFile());
    EXPECT_EQ(server.WaveFile.substr(server.WaveFile.size() - 13), "\\tidebell.wav");
    EXPECT_EQ(server.LastMailDate, "");
    // Saved when the sheet closed.
    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", 0), 1);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Address", ""), "pop.naver.com");
}

#include "core/startup_entry.h"
#include "dialog_answerer.h"
#include "framework/ui_thread.h"
#include "option_sheet_driver.h"
#include "options/server_prop_dlg.h"
#include "postman/postman_dlg.h"
#include "program_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int applyButtonId = 0x3021;
constexpr UINT trayCallbackMessage = 32778;

// A main frame started from the registry, whose options window the tests
// open from the tray.
class OptionSheetTest : public ProgramTest {
  protected:
    void StoreServer(int index, const std::string& name, const std::string& lastMailDate = "") {
        std::string section = ServerSection(index);
        profile.WriteInt("POP3", "ServerNumber", index + 1);
        profile.WriteString(section, "Name", name);
        profile.WriteString(section, "Address", "pop." + name + ".example");
        profile.WriteString(section, "ID", name + "-id");
        profile.WriteString(section, "LastMailDate", lastMailDate);
        profile.WriteInt(section, "MailClient", 1);
        profile.WriteInt(section, "Notify", 8);
    }

    void UseOptions(const std::function<void(HWND sheet)>& act) { UseOptionSheet(frame->GetHandle(), act); }
    const Settings& Stored() { return frame->GetSettings(); }

    static HWND ServerList(HWND sheet) { return GetDlgItem(CurrentPage(sheet), IDC_SERVER_LIST); }
};

} // namespace

TEST_F(OptionSheetTest, AServerAddedWithTheDefaultsIsCheckedWithPort110AndTheBell) {
    StartProgram();
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        EXPECT_TRUE(IsCenteredOnWorkArea(sheet));
        ClickButton(CurrentPage(sheet), IDC_ADD_SERVER, Delivery::Posted);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        TypeServer(dialog, {"집", "pop.naver.com", "alice", "", ""});
        ClickButton(dialog, IDOK, Delivery::Posted);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_EQ(RowText(ServerList(sheet), 0, 0), "집");
        EXPECT_EQ(RowText(ServerList(sheet), 0, 1), "alice");
        ClickButton(sheet, IDOK, Delivery::Posted);
    });

    ASSERT_EQ(Stored().servers.size(), 1u);
    const ServerEntry& server = Stored().servers[0];
    EXPECT_EQ(server.Port, 110);
    EXPECT_EQ(server.CheckAlgorithm, 0);
    EXPECT_EQ(server.MailClient, 1);
    EXPECT_EQ(server.Notify, NotifyWave | NotifyPostman | NotifyBalloon);
    EXPECT_EQ(server.CheckYN, 1);
    EXPECT_EQ(server.WaveFile, DefaultWaveFile());
    EXPECT_EQ(server.WaveFile.substr(server.WaveFile.size() - 13), "\\tidebell.wav");
    EXPECT_EQ(server.LastMailDate, "");
    // Saved when the sheet closed.
    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", 0), 1);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Address", ""), "pop.naver.com");
}

TEST_F(OptionSheetTest, EditingAServerKeepsItsMarkItsCheckBoxAndWhatTheProgramChangedMeanwhile) {
    StoreServer(0, "work", "2026년 12월 1일 오후 3:05:09");
    profile.WriteInt("POP3\\Server0", "CheckYN", 0);
    StartProgram();
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        ShowPage(sheet, 2); // the spam page, so that it writes its list too
        ShowPage(sheet, 0);
        // A check ends and a sender is marked as spam from the mailbox.
        CUiThread::Run([&] {
            frame->GetSettings().servers[0].LastMailDate = "2026년 12월 7일 오전 9:00:00";
            frame->GetSettings().spamAddresses.push_back("junk@spam.example");
        });
        PressOn(ServerList(sheet), RowPoint(ServerList(sheet), 0), Delivery::Posted, Press::DoubleClick);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(ControlText(dialog, IDC_SERVER_ADDRESS), "pop.work.example");
        TypeText(dialog, IDC_SERVER_NAME, "  회사 ");
        ClickButton(dialog, IDOK, Delivery::Posted);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_EQ(RowText(ServerList(sheet), 0, 0), "회사");
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    ASSERT_EQ(Stored().servers.size(), 1u);
    EXPECT_EQ(Stored().servers[0].Name, "회사");
    EXPECT_EQ(Stored().servers[0].LastMailDate, "2026년 12월 7일 오전 9:00:00");
    EXPECT_EQ(Stored().servers[0].CheckYN, 0);
    EXPECT_EQ(Stored().spamAddresses, std::vector<std::string>{"junk@spam.example"});
}

TEST_F(OptionSheetTest, DeletingTheFirstOfThreeServersKeepsRowsAndEntriesAligned) {
    StoreServer(0, "first");
    StoreServer(1, "second");
    StoreServer(2, "third");
    StartProgram();
    std::string question, shownAddress;
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        HWND list = ServerList(sheet);
        PressOn(list, RowPoint(list, 0), Delivery::Posted);
        ClickButton(CurrentPage(sheet), IDC_DELETE_SERVER, Delivery::Posted);
        question = AnswerBox("Tidemark", IDYES);
        ASSERT_TRUE(PumpMessagesUntil([&] { return RowCount(list) == 2; }));
        // Row 0 now opens the old second server.
        PressOn(list, RowPoint(list, 0), Delivery::Posted);
        ClickButton(CurrentPage(sheet), IDC_SERVER_PROPERTIES, Delivery::Posted);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        shownAddress = ControlText(dialog, IDC_SERVER_ADDRESS);
        ClickButton(dialog, IDCANCEL, Delivery::Posted);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    EXPECT_EQ(question, "first을(를) 삭제 하시겠습니까?");
    EXPECT_EQ(shownAddress, "pop.second.example");
    ASSERT_EQ(Stored().servers.size(), 2u);
    EXPECT_EQ(Stored().servers[0].Name, "second");
    EXPECT_EQ(Stored().servers[1].Name, "third");
    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", 0), 2);
}

TEST_F(OptionSheetTest, TickingACheckBoxAloneLeavesApplyDisabledButOkStoresIt) {
    StoreServer(0, "work");
    StartProgram();
    bool applyEnabled = true;
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        HWND list = ServerList(sheet);
        ASSERT_TRUE(ListView_GetCheckState(list, 0));
        PressOn(list, RowPoint(list, 0, RowPart::CheckBox), Delivery::Posted);
        ASSERT_TRUE(PumpMessagesUntil([&] { return !ListView_GetCheckState(list, 0); }));
        applyEnabled = IsEnabled(sheet, applyButtonId);
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    EXPECT_FALSE(applyEnabled);
    EXPECT_EQ(Stored().servers[0].CheckYN, 0);
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "CheckYN", 1), 0);
}

TEST_F(OptionSheetTest, AfterApplyADoubleClickOnTheTrayShowsThePostmanWindow) {
    profile.WriteInt("Setting", "DefaultItem", 0);
    StartProgram();
    bool postmanShown = false;
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        ShowPage(sheet, 3);
        HWND page = CurrentPage(sheet);
        ASSERT_TRUE(IsTicked(page, IDC_DEFAULT_CHECK));
        ClickButton(page, IDC_DEFAULT_POSTMAN, Delivery::Posted);
        ASSERT_TRUE(PumpMessagesUntil([&] { return IsEnabled(sheet, applyButtonId); }));
        ClickButton(sheet, applyButtonId, Delivery::Posted);
        ASSERT_TRUE(PumpMessagesUntil([&] { return !IsEnabled(sheet, applyButtonId); }));
        SendMessageA(frame->GetTrayIcon().GetHandle(), trayCallbackMessage, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
        postmanShown = IsWindowVisible(frame->GetPostmanWindow().GetHandle()) != FALSE;
        ClickButton(sheet, IDCANCEL, Delivery::Posted);
    });
    EXPECT_TRUE(postmanShown);
    EXPECT_EQ(Stored().DefaultItem, 2);
    EXPECT_EQ(profile.GetInt("Setting", "DefaultItem", 0), 2);
}

TEST_F(OptionSheetTest, ThePasswordPromptRefusesALateOrDifferentlyCasedPasswordAndNothingChanges) {
    profile.WriteInt("Setting", "PasswordYN", 1);
    profile.WriteString("Setting", "Password", EncodeStoredPassword("Secret"));
    StartProgram();
    const struct {
        const char* typed;
        bool pressOk;
        bool opens;
    } attempts[] = {
        {"Secret", false, false}, // the right password, too late
        {"secret", true, false},
        {"Secret ", true, false},
        {"Secret", true, true},
    };
    for (const auto& attempt : attempts) {
        DWORD shownFor = 0;
        HWND sheet = nullptr;
        RunOptionsCommand(frame->GetHandle(), [&] {
            HWND prompt = WaitForDialog(passwordDialogCaption);
            ASSERT_TRUE(prompt);
            DWORD opened = GetTickCount();
            TypeText(prompt, IDC_PASSWORD_INPUT, attempt.typed);
            if (attempt.pressOk)
                ClickButton(prompt, IDOK, Delivery::Posted);
            ASSERT_TRUE(WaitUntilClosed(prompt, 20000));
            shownFor = GetTickCount() - opened;
            sheet = WaitForDialog(optionSheetCaption, attempt.opens ? 10000 : 1000);
            if (sheet)
                ClickButton(sheet, IDCANCEL, Delivery::Posted);
        });
        EXPECT_EQ(sheet != nullptr, attempt.opens) << attempt.typed;
        if (!attempt.pressOk) {
            EXPECT_GE(shownFor, 9500u);
        }
        // A refused prompt saves nothing; a closed sheet saves everything.
        EXPECT_EQ(profile.GetInt("Setting", "Duration", 0), attempt.opens ? 5 : 0) << attempt.typed;
    }
}

TEST_F(OptionSheetTest, UnusablePortsAndHostNamesAreRefusedNamingTheField) {
    StartProgram();
    const struct {
        const char* host;
        const char* port;
        const char* message;
    } refusals[] = {
        {"pop.example.com", "0", "1에서 65535 사이의 정수를 입력하십시오."},
        {"pop.example.com", "70000", "1에서 65535 사이의 정수를 입력하십시오."},
        {"pop.example.com", "1l0", "정수를 입력하십시오."},
        {"pop. example.com", "110", "메일 서버 주소에는 빈칸이 들어갈 수 없습니다."},
        {"   ", "110", "메일 서버 주소를 입력 하시기 바랍니다."},
    };
    std::vector<std::string> messages;
    std::string arrowPorts, smtpMessage;
    UseOptions([&](HWND sheet) {
        ASSERT_TRUE(sheet);
        EXPECT_TRUE(IsCenteredOnWorkArea(sheet));
        ClickButton(CurrentPage(sheet), IDC_ADD_SERVER, Delivery::Posted);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        for (const auto& refusal : refusals) {
            TypeServer(dialog, {"집", refusal.host, "alice", "", refusal.port});
            ClickButton(dialog, IDOK, Delivery::Posted);
            messages.push_back(AnswerBox("Tidemark", IDOK));
            EXPECT_TRUE(IsWindowVisible(dialog));
        }
        // The arrows reach the secure ports and stop at the last one.
        for (const char* start : {"994", "65534", "65535"}) {
            TypeText(dialog, IDC_SERVER_PORT, start);
            PressKey(dialog, IDC_SERVER_PORT, VK_UP);
            // The key is posted: give it time to move the number (the last cannot move).
            PumpMessagesUntil([&] { return ControlText(dialog, IDC_SERVER_PORT) != start; }, 3000);
            arrowPorts += ControlText(dialog, IDC_SERVER_PORT) + " ";
        }
        ClickButton(dialog, IDCANCEL, Delivery::Posted);
        ASSERT_TRUE(WaitUntilClosed(dialog));

        ShowPage(sheet, 1);
        HWND page = CurrentPage(sheet);
        TypeText(page, IDC_SMTP_ADDRESS, "smtp.example .com");
        TypeText(page, IDC_USER_MAIL, "me@example.com");
        ClickButton(sheet, IDOK, Delivery::Posted);
        smtpMessage = AnswerBox("Tidemark", IDOK);
        TypeText(page, IDC_SMTP_ADDRESS, " smtp.example.com ");
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    ASSERT_EQ(messages.size(), std::size(refusals));
    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ(messages[i], refusals[i].message) << refusals[i].host << " " << refusals[i].port;
    EXPECT_EQ(arrowPorts, "995 65535 65535 ");
    EXPECT_EQ(smtpMessage, "보내는 메일 서버 주소에는 빈칸이 들어갈 수 없습니다.");
    EXPECT_TRUE(Stored().servers.empty());
    EXPECT_EQ(Stored().SMTPAddress, "smtp.example.com");
}

TEST_F(OptionSheetTest, TheStartWithWindowsBoxFollowsAndEditsTheRunEntry) {
    ASSERT_TRUE(SetStartWithWindows(false));
    StartProgram();
    for (bool start : {true, false}) {
        UseOptions([&](HWND sheet) {
            ASSERT_TRUE(sheet);
            ShowPage(sheet, 3);
            HWND page = CurrentPage(sheet);
            EXPECT_EQ(IsTicked(page, IDC_START_WITH_WINDOWS), !start);
            ClickButton(page, IDC_START_WITH_WINDOWS, Delivery::Posted);
            ClickButton(sheet, IDOK, Delivery::Posted);
        });
        EXPECT_EQ(IsStartedWithWindows(), start);
    }
}

TEST_F(OptionSheetTest, ChoosingImapSuggestsItsPortsAndHostsAndIsStoredAsProtocol1) {
    StoreServer(0, "old"); // written before IMAP: no "Protocol"
    StartProgram();
    const int tls = static_cast<int>(ConnectionSecurity::TlsOnConnect);
    // Each step types a port (when given), then chooses a protocol or security.
    const struct {
        int id, entry;
        const char *port, *shown;
    } steps[] = {
        {IDC_SERVER_PROTOCOL, ProtocolPop3, "", "POP3 사용 안 함 110 (기본값 : 110) pop.gmail.com"},
        {IDC_SERVER_PROTOCOL, ProtocolImap, "", "IMAP 사용 안 함 143 (기본값 : 143) imap.gmail.com"},
        {IDC_SERVER_SECURITY, tls, "", "IMAP TLS 연결 (포트 993) 993 (기본값 : 143) imap.gmail.com"},
        {IDC_SERVER_PROTOCOL, ProtocolPop3, "", "POP3 TLS 연결 (포트 995) 995 (기본값 : 110) pop.gmail.com"},
        {IDC_SERVER_PROTOCOL, ProtocolImap, "8995",
         "IMAP TLS 연결 (포트 993) 8995 (기본값 : 143) imap.gmail.com"},
    };
    UseOptions([&](HWND sheet) {
        PressOn(ServerList(sheet), RowPoint(ServerList(sheet), 0), Delivery::Posted, Press::DoubleClick);
        HWND dialog = WaitForDialog(serverDialogCaption);
        TypeText(dialog, IDC_SERVER_ADDRESS, "pop.gmail.com");
        for (const auto& step : steps) {
            if (*step.port)
                TypeText(dialog, IDC_SERVER_PORT, step.port);
            ChooseEntry(dialog, step.id, step.entry);
            std::string shown = ControlText(dialog, IDC_SERVER_PROTOCOL);
            for (int id : {IDC_SERVER_SECURITY, IDC_SERVER_PORT, IDC_PORT_DEFAULT, IDC_SERVER_ADDRESS})
                shown += " " + ControlText(dialog, id);
            EXPECT_EQ(shown, step.shown);
        }
        ClickButton(dialog, IDOK, Delivery::Posted);
        WaitUntilClosed(dialog);
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "Protocol", -1), 1);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Address", ""), "imap.gmail.com");
}

#include "check_cycle_fixture.h"

#include "dialog_answerer.h"
#include "mail/pop3_session.h"
#include "option_sheet_driver.h"

TEST_F(CheckCycleTest, NewMailOnTwoAccountsIsListedCountedAndMarked) {
    AddAccount("회사", "checka");
    AddAccount("집", "checkb");
    StartProgram();
    RunCheck();
    // The postman window is made when first asked for, from the model's rows.
    EXPECT_EQ(FindWindowA("#32770", "Tidemark"), nullptr);

    ASSERT_EQ(Rows(), 3);
    ASSERT_EQ(frame->GetMailbox().GetArrivedMails().size(), 3u);
    EXPECT_EQ(Cell(0, 0), "회사");
    EXPECT_EQ(Cell(0, 1), "김철수");
    EXPECT_EQ(Cell(0, 2), "첫 번째 편지");
    EXPECT_EQ(Cell(1, 1), "lee@example.com");
    EXPECT_EQ(Cell(2, 0), "집");
    EXPECT_EQ(Cell(2, 1), "박영희");
    EXPECT_EQ(Cell(2, 2), "안녕하세요");
    EXPECT_EQ(frame->GetMailbox().GetArrivedMails()[2].serverIndex, 1);
    EXPECT_EQ(frame->GetMailbox().GetListedMailCount(), 3);
    EXPECT_EQ(Page().GetItemText(IDC_ARRIVED_COUNT), "도착한 메일 :   3");
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 3 통의 메일 도착");
    EXPECT_TRUE(TrayShows(163));

    // The newest date of each account is its mark, in memory and in the registry.
    EXPECT_EQ(profile.GetString("POP3\\Server0", "LastMailDate", ""),
              frame->GetMailbox().GetArrivedMails()[1].dateText);
    EXPECT_EQ(profile.GetString("POP3\\Server1", "LastMailDate", ""),
              frame->GetMailbox().GetArrivedMails()[2].dateText);
    EXPECT_EQ(frame->GetSettings().servers[0].LastMailDate,
              frame->GetMailbox().GetArrivedMails()[1].dateText);

    // The same mails are listed again by the next check but are no longer new.
    RunCheck();
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 새로 도착한 메일이 없습니다");
    EXPECT_TRUE(TrayShows(160));
}

TEST_F(CheckCycleTest, AnAccountSetUpInTheOptionsWindowIsChecked) {
    StartProgram();
    UseOptionSheet(frame->GetHandle(), [&](HWND sheet) {
        ASSERT_TRUE(sheet);
        ClickButton(CurrentPage(sheet), IDC_ADD_SERVER, Delivery::Posted);
        HWND dialog = WaitForDialog(serverDialogCaption);
        ASSERT_TRUE(dialog);
        TypeServer(dialog, {"회사", "127.0.0.1", "checka", "secret", std::to_string(PeerPop3Port())});
        SendMessageA(GetDlgItem(dialog, IDC_CHECK_ALGORITHM), CB_SETCURSEL, CheckAllMail, 0);
        ClickButton(dialog, IDC_NOTIFY_WAVE, Delivery::Posted);
        ClickButton(dialog, IDC_NOTIFY_POSTMAN, Delivery::Posted);
        ClickButton(dialog, IDOK, Delivery::Posted);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        ClickButton(sheet, IDOK, Delivery::Posted);
    });
    RunCheck();
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, 0), "회사");
    EXPECT_EQ(Cell(0, 2), "첫 번째 편지");
    EXPECT_EQ(Cell(1, 1), "lee@example.com");
}

TEST_F(CheckCycleTest, TodaysMailAndMailSinceTheStartFollowTheirCutOffs) {
    AddAccount("오늘", "dated", CheckTodayOnly);
    AddAccount("실행 이후", "dated", CheckSinceProgramStart);
    StartProgram();
    RunCheck();

    // Today: midnight and tomorrow, in ascending message order; yesterday ends the walk.
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 2), "this morning");
    EXPECT_EQ(Cell(1, 2), "tomorrow");
    // Since the start: only the mail dated after it.
    EXPECT_EQ(Cell(2, 0), "실행 이후");
    EXPECT_EQ(Cell(2, 2), "tomorrow");
    EXPECT_EQ(frame->GetMailbox().GetListedMailCount(), 3);
}

// Skipping and deleting are checked below the window; here the stored spam settings reach the check.
TEST_F(CheckCycleTest, TheStoredSpamSettingsFilterAndDeleteOnTheServer) {
    AddAccount("스팸", "spammy");
    profile.WriteInt("SpamMail", "SpamMailYN", 1);
    profile.WriteInt("SpamMail", "SpamMailMethod", 1);
    profile.WriteInt("SpamMail", "SpamMailNumber", 1);
    profile.WriteString("SpamMail", "Email0", "ad@spam.example");
    StartProgram();
    RunCheck();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 1), "friend@example.com");

    CPop3Session session;
    ASSERT_TRUE(session.Login("127.0.0.1", "spammy", "secret", PeerPop3Port()));
    ASSERT_TRUE(session.Stat());
    EXPECT_EQ(session.GetMessageCount(), 1);
    session.Quit();
}

// The error row's texts and counts are checked below the window; here it shows under its account.
TEST_F(CheckCycleTest, AnAccountThatCannotLogInShowsAnErrorRow) {
    AddAccount("틀린 암호", "checka", CheckAllMail, 0, "wrong");
    AddAccount("회사", "checkb");
    StartProgram();
    RunCheck();
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, 0), "틀린 암호");
    EXPECT_EQ(Cell(0, 1), "[에러]");
    EXPECT_EQ(Cell(0, 2), "사용자 패스워드가 잘못 입력되었습니다.");
}

TEST_F(CheckCycleTest, StoppingACheckEmptiesTheListAndEndsAfterTheAccount) {
    AddAccount("대량", "bench");
    AddAccount("회사", "checka");
    StartProgram();
    frame->StartMailCheck();
    ASSERT_TRUE(PumpMessagesUntil([&] { return Rows() >= 3; }, checkTimeoutMs));
    EXPECT_EQ(TrayMenuText(0), "메일 체크 중지(&S)");
    frame->StartMailCheck(); // the same command now stops
    EXPECT_EQ(frame->GetPostmanWindow().GetItemText(IDC_STATUS_TEXT), "체크 중지 중...");
    ASSERT_TRUE(PumpMessagesUntil([&] { return !frame->IsCheckActive(); }, checkTimeoutMs));
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(frame->GetMailbox().GetArrivedMails().empty());
    EXPECT_EQ(frame->GetMailbox().GetListedMailCount(), 0);
    EXPECT_EQ(frame->GetMailbox().checkRunning, 0);
    EXPECT_EQ(TrayMenuText(0), "지금 메일 체크(&N)");
}

TEST_F(CheckCycleTest, AManualCheckEndsAPause) {
    AddAccount("회사", "checka");
    StartProgram();
    frame->TogglePause();
    EXPECT_EQ(frame->GetSettings().MailCheckPause, 1);
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    frame->UpdateMenuItems(GetSubMenu(menu, 0));
    EXPECT_TRUE(GetMenuState(GetSubMenu(menu, 0), ID_PAUSE, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(menu);
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 자동 체크 기능 멈춤");
    EXPECT_TRUE(TrayShows(164));
    frame->TogglePause();
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark");
    EXPECT_TRUE(TrayShows(160));

    frame->TogglePause();
    RunCheck();
    EXPECT_EQ(frame->GetSettings().MailCheckPause, 0);
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 2 통의 메일 도착");
}

TEST_F(CheckCycleTest, ADoubleClickOnTheTrayRunsTheDefaultItem) {
    AddAccount("회사", "checka", CheckAllMail, NotifyPostman);
    profile.WriteInt("Setting", "DefaultItem", 0);
    StartProgram();
    HWND tray = frame->GetTrayIcon().GetHandle();
    SendMessageA(tray, 32778, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpMessagesUntil(
        [&] { return frame->GetMailbox().checkRunning == 0 && !frame->IsCheckActive() && Rows() == 2; },
        checkTimeoutMs));
    // Notify 8: the postman window shows its mailbox tab.
    EXPECT_TRUE(IsWindowVisible(frame->GetPostmanWindow().GetHandle()));
    EXPECT_EQ(frame->GetPostmanWindow().GetTabCtrl().GetCurrentTab(), 0);
}

TEST_F(CheckCycleTest, TheProgramPasswordGuardsEveryWayToThePostmanWindow) {
    AddAccount("회사", "checka", CheckAllMail, NotifyPostman);
    profile.WriteInt("Setting", "PasswordYN", 1);
    profile.WriteString("Setting", "Password", EncodeStoredPassword("Secret"));
    StartProgram(); // DefaultItem 2: the double click shows the postman window
    HWND postman = frame->GetPostmanWindow().GetHandle();
    const std::function<void()> ways[] = {
        [&] { SendMessageA(frame->GetHandle(), WM_COMMAND, ID_SHOW_POSTMAN, 0); },
        [&] { SendMessageA(frame->GetTrayIcon().GetHandle(), 32778, IDR_TRAY_MENU, WM_LBUTTONDBLCLK); },
        [&] {
            frame->GetSettings().servers[0].LastMailDate.clear();
            RunCheck();
        },
    };
    for (const auto& way : ways)
        for (std::string typed : {"secret", "Secret"}) {
            CDialogAnswerer answerer(passwordDialogCaption, IDOK, 15000, {{IDC_PASSWORD_INPUT, typed}});
            way();
            EXPECT_TRUE(answerer.Wait());
            EXPECT_EQ(IsWindowVisible(postman) != FALSE, typed == "Secret") << typed;
            ShowWindow(postman, SW_HIDE);
        }
}

TEST_F(CheckCycleTest, AStartedMailClientResetsTheIconWhenIconInitAsks) {
    AddAccount("회사", "checka", CheckAllMail, NotifyMailClient);
    StartProgram();
    // MailClient 0 with no program: the shell fails and says so.
    CDialogAnswerer answerer("메일 클라이언트 프로그램 실행 오류", IDOK);
    RunCheck();
    EXPECT_TRUE(answerer.Wait());
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 새로 도착한 메일이 없습니다");
    EXPECT_TRUE(TrayShows(160));

    // Without IconInit the outcome stays visible.
    frame->GetSettings().IconInit = 0;
    frame->GetSettings().servers[0].LastMailDate.clear();
    CDialogAnswerer second("메일 클라이언트 프로그램 실행 오류", IDOK);
    RunCheck();
    EXPECT_TRUE(second.Wait());
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 2 통의 메일 도착");
    EXPECT_TRUE(TrayShows(163));
}

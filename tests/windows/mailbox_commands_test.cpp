// The mailbox page's commands in a real postman window, driven as a user
// would: rows selected, buttons and menu items chosen, message boxes read
// and answered. Deletion talks to the dovecot test server (user "erase").
#include "check_cycle_fixture.h"
#include "mail/pop3_session.h"
#include "tls_test_peer.h"
#include "user_actions.h"

#include <algorithm>

namespace {

const char deleteQuestionTail[] =
    "\n\n\n이 메일을 메일 서버에서 삭제 하시겠습니까?\n\n( 주의 : 삭제된 메일은 다시 복구할 수 없음 ) ";

// The subjects of the user's messages on the test server, after deleting
// the one with subject `doomed` (as another mail program would).
std::vector<std::string> ServerSubjects(const std::string& user, const std::string& doomed = "") {
    std::vector<std::string> subjects;
    CPop3Session session;
    if (!session.Login("127.0.0.1", user, "secret", PeerPop3Port()) || !session.Stat())
        return {"(no login)"};
    for (int number = 1; number <= session.GetMessageCount(); ++number) {
        session.Top(number, 0);
        if (session.GetSubject() == doomed)
            session.Delete(number);
        else
            subjects.push_back(session.GetSubject());
    }
    session.Quit();
    return subjects;
}

// What a user does with a message box: reads it, then presses a button.
struct Answer {
    int button;
    std::string text;
};

class MailboxCommandsTest : public CheckCycleTest {
  protected:
    void StartWithAccount(const std::string& user, int port = PeerPop3Port()) {
        AddAccount("지우기", user);
        profile.WriteInt(ServerSection(0), "Port", port);
        StartProgram();
        frame->GetPostmanWindow().ShowNormal();
    }
    HWND List() { return GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST); }
    void Select(std::initializer_list<int> rows) {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
        for (int row : rows) {
            ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetSelectionMark(List(), row);
        }
    }
    std::vector<std::string> Subjects() {
        std::vector<std::string> subjects;
        for (int row = 0; row < Rows(); ++row)
            subjects.push_back(Cell(row, 2));
        return subjects;
    }
    std::string Status() {
        return WindowText(GetDlgItem(frame->GetPostmanWindow().GetHandle(), IDC_STATUS_TEXT));
    }
    // Runs command `id` of the page (a button or a menu item) while a user
    // answers the "Tidemark" boxes that come up, one after another; returns
    // the texts they showed. Waits until a delete has ended.
    std::vector<std::string> Run(int id, std::vector<Answer> answers, const char* caption = "Tidemark") {
        std::vector<std::string> texts;
        // The postman window is captioned "Tidemark" too.
        HWND postman = frame->GetPostmanWindow().GetHandle();
        CUserThread user(
            [&] {
                std::vector<HWND> seen = {postman};
                for (const Answer& answer : answers) {
                    HWND box = WaitForDialog(caption, 15000, seen);
                    if (!box)
                        return;
                    seen.push_back(box);
                    texts.push_back(ControlText(box, 0xFFFF));
                    PostMessageA(box, WM_COMMAND, answer.button, 0);
                    WaitUntilClosed(box);
                }
            },
            {});
        PostMessageA(Page().GetHandle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        user.Join();
        EXPECT_TRUE(PumpMessagesUntil([&] { return !Page().IsDeleting(); }, 30000));
        PumpMessages();
        return texts;
    }
};

std::string Question(int n) {
    return "메일 서버 : 지우기\n\n메일 제목 : 지울 메일 " + std::to_string(n) + "\n\n보낸 사람 : erase" +
           std::to_string(n) + "@example.com\n\n받은 날짜 : 2002년 4월 2일 오전 9:0" + std::to_string(n) +
           ":00" + deleteQuestionTail;
}

} // namespace

TEST_F(MailboxCommandsTest, DeleteAsksForEachSelectedMailAndKeepsOnlyTheDeclined) {
    StartWithAccount("erase");
    RunCheck();
    ASSERT_EQ(Rows(), 3);
    std::vector<std::string> listed = Subjects();
    // Mail 3 went meanwhile by another program: its row leaves without a question.
    ASSERT_EQ(ServerSubjects("erase", "지울 메일 3"),
              (std::vector<std::string>{"지울 메일 1", "지울 메일 2"}));
    Select({0, 1, 2});
    std::vector<std::string> texts = Run(IDC_DELETE_BUTTON, {{IDYES, ""}, {IDNO, ""}});

    // The two left on the server are asked about top to bottom: the first
    // is accepted, the second declined.
    std::vector<std::string> remaining;
    for (const std::string& subject : listed)
        if (subject != "지울 메일 3")
            remaining.push_back(subject);
    ASSERT_EQ(remaining.size(), 2u);
    EXPECT_EQ(texts, (std::vector<std::string>{Question(remaining[0].back() - '0'),
                                               Question(remaining[1].back() - '0')}));
    EXPECT_EQ(Subjects(), std::vector<std::string>{remaining[1]});
    EXPECT_EQ(ServerSubjects("erase"), std::vector<std::string>{remaining[1]});
    EXPECT_EQ(frame->GetMailbox().GetArrivedMails().size(), 1u);
    EXPECT_EQ(WindowText(GetDlgItem(Page().GetHandle(), IDC_ARRIVED_COUNT)), "도착한 메일 :   1");
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page().GetHandle(), IDC_DELETE_BUTTON)));
}

TEST_F(MailboxCommandsTest, DeleteIsRefusedWhileACheckRuns) {
    StartWithAccount("erase");
    ListMail("지우기", "", "a@example.com", "하나");
    Select({0});
    ASSERT_TRUE(frame->GetMailbox().BeginCheck());
    std::vector<std::string> texts = Run(ID_MAIL_DELETE, {{IDOK, ""}});
    frame->GetMailbox().EndCheck();
    EXPECT_EQ(texts, std::vector<std::string>{"메일 체크 중에는 삭제 할 수 없습니다."});
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Status(), "");
}

TEST_F(MailboxCommandsTest, ASilentServerLeavesTheWindowWorkingWhileTheDeleteWaits) {
    int silent = TlsPeerPort("silent");
    ASSERT_GT(silent, 0) << "the TLS test servers are not running";
    StartWithAccount("erase", silent);
    ListMail("지우기", "", "a@example.com", "하나");
    Select({0});
    PostMessageA(Page().GetHandle(), WM_COMMAND, IDC_DELETE_BUTTON, 0);
    // This thread keeps taking its messages: the click did not block it.
    ASSERT_TRUE(PumpMessagesUntil([&] { return Page().IsDeleting(); }, 5000));
    Sleep(500);
    PumpMessages();
    EXPECT_TRUE(Page().IsDeleting());
    EXPECT_EQ(Status(), "메일 삭제 중...");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Page().GetHandle(), IDC_DELETE_BUTTON)));
    EXPECT_FALSE(IsWindowEnabled(List()));
    // No check starts on top of the delete.
    frame->StartMailCheck();
    EXPECT_FALSE(frame->IsCheckActive());
}

TEST_F(MailboxCommandsTest, AddToSpamAsksAndAddsAnAddressOnce) {
    StartWithAccount("erase");
    ListMail("지우기", "", "spam@example.com", "광고");
    ListMail("지우기", errorRowSender, "", "로그인 실패");
    Select({0});
    const std::string question = "E-mail : spam@example.com\n\n 이 주소를 스팸 메일에 추가 하시겠습니까?";
    for (int time = 0; time < 2; ++time)
        EXPECT_EQ(Run(ID_MAIL_ADD_SPAM, {{IDOK, ""}}), std::vector<std::string>{question});
    Select({1}); // an error row: no question, nothing added
    PostMessageA(Page().GetHandle(), WM_COMMAND, ID_MAIL_ADD_SPAM, 0);
    PumpMessages();
    EXPECT_EQ(VisibleDialogs("Tidemark"), std::vector<HWND>{frame->GetPostmanWindow().GetHandle()});
    EXPECT_EQ(frame->GetSettings().spamAddresses, std::vector<std::string>{"spam@example.com"});
}

TEST_F(MailboxCommandsTest, MailClientCommandsStartTheClientAndResetTheTrayWhenIconInitSaysSo) {
    const char* clientCaption = "메일 클라이언트 프로그램 실행 오류";
    const struct {
        int command;
        int iconInit;
        bool windowHidden;
        bool trayReset;
    } cases[] = {{IDC_VIEW_BUTTON, 1, true, true}, {ID_MAIL_CLIENT, 0, false, false}};
    StartWithAccount("erase");
    // An account's client is started from its error row too.
    ListMail("지우기", errorRowSender, "", "로그인 실패");
    Select({0});
    Settings& settings = frame->GetSettings();
    settings.ViewButton = 1;
    settings.MailClient = 4;
    settings.MailClientFile = "C:\\없는 폴더\\client.exe";
    settings.servers[0].MailClient = 4;
    settings.servers[0].MailClientFile = "C:\\없는 폴더\\account.exe";
    for (const auto& sample : cases) {
        settings.IconInit = sample.iconInit;
        frame->GetPostmanWindow().ShowNormal();
        frame->SetTrayState(163, "Tidemark - 1 통의 메일 도착");
        std::vector<std::string> texts = Run(sample.command, {{IDOK, ""}}, clientCaption);
        EXPECT_EQ(texts, std::vector<std::string>{"메일 클라이언트의 경로명이 잘못 입력 되었습니다."});
        EXPECT_EQ(!IsWindowVisible(frame->GetPostmanWindow().GetHandle()), sample.windowHidden);
        EXPECT_EQ(TrayShows(160), sample.trayReset) << sample.command;
        EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), sample.trayReset
                                                             ? "Tidemark - 새로 도착한 메일이 없습니다"
                                                             : "Tidemark - 1 통의 메일 도착");
    }
}

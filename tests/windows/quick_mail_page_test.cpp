// The quick-mail page of a real postman window, driven as a user would: typed
// fields, clicked buttons, answered message boxes and file dialog. Mail goes
// to the aiosmtpd sink that ctest starts (tests/peers/smtp_sink.sh).
#include "postman/quick_mail_page.h"

#include "app/main_frame.h"
#include "dialog_answerer.h"
#include "net/socket_platform.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"
#include "resource.h"
#include "tls_test_peer.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// The folder of the sink's port and stored mails ("" without the fixture).
std::string SinkDirectory() {
#ifdef TIDEMARK_SMTP_SINK_DIR
    return TIDEMARK_SMTP_SINK_DIR;
#else
    return "";
#endif
}
const char openCaption[] = "열기";

// A file in the temporary directory, removed at the end of scope.
class CTemporaryFile {
  public:
    CTemporaryFile(const std::string& name, const std::string& bytes) : path(TempFilePath(name)) {
        WriteFileBytes(path, bytes);
    }
    ~CTemporaryFile() { DeleteFileA(path.c_str()); }
    const std::string& Path() const { return path; }

  private:
    std::string path;
};

class QuickMailPageTest : public testing::Test {
  protected:
    QuickMailPageTest() {
        Settings& settings = frame.GetSettings();
        settings.SMTPAddress = "127.0.0.1";
        settings.SMTPPort = 25;
        settings.UserName = "홍, 길동";
        settings.UserMail = "hong@example.com";
    }
    void SetUp() override {
        frame.GetPostmanWindow().ShowNormal();
        frame.GetPostmanWindow().GetTabCtrl().SelectTab(1);
    }
    void TearDown() override { ShowWindow(frame.GetPostmanWindow().GetHandle(), SW_HIDE); }

    CQuickMailPage& Page() { return frame.GetPostmanWindow().GetQuickMailPage(); }
    HWND Item(int id) { return GetDlgItem(Page().GetHandle(), id); }
    std::string Text(int id) { return WindowText(Item(id)); }
    std::string Status() {
        return WindowText(GetDlgItem(frame.GetPostmanWindow().GetHandle(), IDC_STATUS_TEXT));
    }

    // Chooses `path` in the file dialog of the attachment button.
    void Attach(const std::string& path) {
        // The file name field is cmb13 (1148) or edt1 (1152), as the dialog's template has it.
        CDialogAnswerer dialog(openCaption, IDOK, 15000, {{1148, path}, {1152, path}});
        ClickButton(Page().GetHandle(), IDC_ATTACH, Delivery::Sent);
        ASSERT_TRUE(dialog.Wait());
    }
    // Clicks send, waits for the send to end and answers its closing
    // message; returns that message's text.
    std::string SendAndAnswer(DWORD milliseconds = 15000) {
        CDialogAnswerer message("Tidemark", IDOK, milliseconds);
        ClickButton(Page().GetHandle(), IDC_SEND, Delivery::Sent);
        EXPECT_TRUE(PumpMessagesUntil([&] { return !Page().IsSending(); }, milliseconds + 5000));
        message.Wait();
        return message.GetText();
    }
    // What the sink stored for a mail to `recipient`.
    std::string Stored(const std::string& recipient, const char* extension) {
        return ReadFileBytes(SinkDirectory() + "/" + recipient + extension);
    }

    CTestApplication application; // the program's message loop handling, for the keyboard
    CMainFrame frame;
};

// The cases that send to the sink; each skips, visibly, without one.
class QuickMailSinkTest : public QuickMailPageTest {
  protected:
    void SetUp() override {
        const int port = PortIn(SinkDirectory() + "/port");
        if (port == 0)
            GTEST_SKIP() << "no SMTP sink running (ctest starts it)";
        frame.GetSettings().SMTPPort = port;
        QuickMailPageTest::SetUp();
    }
};

// Keeps every text given to a window in the vector at `texts`.
LRESULT CALLBACK RecordText(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR texts) {
    // Subclass procedures of common controls 6 see Unicode messages: read the
    // text back as the program does, once the control has taken it.
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_SETTEXT) {
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        reinterpret_cast<std::vector<std::string>*>(texts)->push_back(text);
    }
    return result;
}

// Runs the thread's messages the way the program's loop does.
void PumpAsTheProgram(CApplication& application) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        application.HandleMessage(message);
}
} // namespace

TEST_F(QuickMailSinkTest, ARepliedMailWithSignatureAndKoreanAttachmentReachesTheSink) {
    Settings& settings = frame.GetSettings();
    settings.SignYN = 1;
    settings.Sign = "-- 홍길동";
    frame.GetPostmanWindow().GetTabCtrl().SelectTab(0);
    frame.GetPostmanWindow().GetTabCtrl().SelectTab(1);
    EXPECT_EQ(Text(IDC_BODY), "\r\n-- 홍길동");

    Page().SetReply("sink-quick@example.com", u"보고서");
    EXPECT_EQ(GetFocus(), Item(IDC_BODY));
    SendMessageA(Item(IDC_BODY), EM_SETSEL, 0, 0);
    TypeKeys(Item(IDC_BODY), L"보내 드립니다.");
    PumpAsTheProgram(application);
    std::string content("HWP\0\x01\xff 보고서", 13);
    CTemporaryFile report("보고서 최종.hwp", content);
    Attach(report.Path());
    EXPECT_EQ(Text(IDC_ATTACHMENT_PATH), report.Path());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_ATTACHMENT_PATH)));
    std::remove((SinkDirectory() + "/sink-quick@example.com.eml").c_str());

    ClickButton(Page().GetHandle(), IDC_SEND, Delivery::Sent);
    // The click returns at once: the server's part runs on a worker.
    EXPECT_TRUE(Page().IsSending());
    EXPECT_EQ(Status(), "메일 서버에 연결 중...");
    for (int id : {IDC_SEND, IDC_RECIPIENTS, IDC_BODY, IDC_ATTACHMENT_PATH, IDC_CLEAR_ALL})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    std::vector<std::string> phases;
    HWND status = GetDlgItem(frame.GetPostmanWindow().GetHandle(), IDC_STATUS_TEXT);
    SetWindowSubclass(status, RecordText, 0, reinterpret_cast<DWORD_PTR>(&phases));
    CDialogAnswerer done("Tidemark", IDOK);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !Page().IsSending(); }, 15000));
    RemoveWindowSubclass(status, RecordText, 0);
    ASSERT_TRUE(done.Wait());
    EXPECT_EQ(done.GetText(), "E-mail 전송이 완료 되었습니다.");
    EXPECT_EQ(phases, (std::vector<std::string>{"메일을 보내는 중...", ""}));

    // Cleared, with the signature back in an untouched body.
    EXPECT_EQ(Text(IDC_RECIPIENTS), "");
    EXPECT_EQ(Text(IDC_SUBJECT), "");
    EXPECT_EQ(Text(IDC_ATTACHMENT_PATH), "");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_ATTACHMENT_PATH)));
    EXPECT_EQ(Text(IDC_BODY), "\r\n-- 홍길동");

    EXPECT_EQ(Stored("sink-quick@example.com", ".envelope"), "hong@example.com\nsink-quick@example.com\n");
    std::string eml = Stored("sink-quick@example.com", ".eml");
    EXPECT_NE(eml.find("\r\nSubject: Re: 보고서\r\n"), std::string::npos) << eml;
    EXPECT_EQ(Stored("sink-quick@example.com", ".parsed"), "From: 홍, 길동|hong@example.com\n"
                                                           "To: |sink-quick@example.com\n"
                                                           "Reply-To: 홍, 길동|hong@example.com\n"
                                                           "Attachment: 보고서 최종.hwp\n");
    EXPECT_EQ(Stored("sink-quick@example.com", ".body"), "보내 드립니다.\r\n-- 홍길동\r\n");
    EXPECT_EQ(Stored("sink-quick@example.com", ".attachment1"), content);
}

TEST_F(QuickMailSinkTest, AReplyStartedWhileASendRunsIsKeptWhenTheSendSucceeds) {
    Page().SetReply("sink-first@example.com", u"첫째");
    CDialogAnswerer done("Tidemark", IDOK);
    ClickButton(Page().GetHandle(), IDC_SEND, Delivery::Sent);
    Page().SetReply("sink-next@example.com", u"둘째"); // before the send can report
    ASSERT_TRUE(PumpMessagesUntil([&] { return !Page().IsSending(); }, 15000));
    ASSERT_TRUE(done.Wait());
    EXPECT_EQ(done.GetText(), "E-mail 전송이 완료 되었습니다.");
    EXPECT_EQ(Text(IDC_RECIPIENTS), "sink-next@example.com");
    EXPECT_EQ(Text(IDC_SUBJECT), "Re: 둘째");
    EXPECT_NE(Stored("sink-first@example.com", ".eml").find("\r\nSubject: Re: 첫째\r\n"), std::string::npos);
}

TEST_F(QuickMailSinkTest, RefusesWhatCannotBeSentAndKeepsTheFields) {
    const struct {
        const char* smtpAddress;
        const char* userName;
        const char* recipients;
        bool attachMissingFile;
        const char* message;
    } cases[] = {
        {"", "홍길동", "sink-refused@example.com", false,
         "환경설정에서 SMTP 서버 정보를 입력하시기 바랍니다."},
        {"127.0.0.1", "", "sink-refused@example.com", false,
         "환경설정에서 사용자 이름과 메일 주소를 입력하시기 바랍니다."},
        {"127.0.0.1", "홍길동", "   ", false, "받는 사람의 E-mail 주소를 입력하시기 바랍니다."},
        {"127.0.0.1", "홍길동", " ; , ", false, "받는 사람의 E-mail 주소를 입력하시기 바랍니다."},
        {"127.0.0.1", "홍길동", "sink-refused@example.com; 김철수 <kim@example.com", false,
         "받는 사람의 E-mail 주소가 잘못되었습니다:\n\n김철수 <kim@example.com\n\n"
         "주소는 < 와 > 사이에 입력하시기 바랍니다."},
        {"127.0.0.1", "홍길동", "sink-refused@example.com", true, ""},
    };
    for (const auto& c : cases) {
        frame.GetSettings().SMTPAddress = c.smtpAddress;
        frame.GetSettings().UserName = c.userName;
        TypeText(Page().GetHandle(), IDC_RECIPIENTS, c.recipients);
        TypeText(Page().GetHandle(), IDC_SUBJECT, "제목");
        if (c.attachMissingFile) {
            CTemporaryFile vanishing("quick-vanishing.txt", "x");
            Attach(vanishing.Path());
        }
        std::string path = Text(IDC_ATTACHMENT_PATH);
        std::string expected = c.attachMissingFile ? "첨부 파일을 읽을 수 없습니다:\n\n" + path : c.message;
        EXPECT_EQ(SendAndAnswer(), expected);
        EXPECT_EQ(Text(IDC_RECIPIENTS), c.recipients);
        EXPECT_EQ(Text(IDC_SUBJECT), "제목");
        EXPECT_EQ(Text(IDC_ATTACHMENT_PATH), path);
        EXPECT_EQ(IsWindowEnabled(Item(IDC_ATTACHMENT_PATH)) != FALSE, c.attachMissingFile);
        EXPECT_EQ(Status(), "");
    }
    EXPECT_EQ(Stored("sink-refused@example.com", ".eml"), "") << "nothing was sent";
}

TEST_F(QuickMailPageTest, AServerThatNeverAnswersLeavesTheWindowResponsive) {
    // A listening socket that nobody accepts from: the connection is made,
    // the greeting never comes.
    SOCKET silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 1), 0);
    int length = sizeof address;
    getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    frame.GetSettings().SMTPPort = ntohs(address.sin_port);

    // Without a subject the page asks first; No sends nothing.
    TypeText(Page().GetHandle(), IDC_RECIPIENTS, "someone@example.com");
    for (int answer : {IDNO, IDYES}) {
        CDialogAnswerer question("Tidemark", answer);
        ClickButton(Page().GetHandle(), IDC_SEND, Delivery::Sent);
        ASSERT_TRUE(question.Wait());
        EXPECT_EQ(question.GetText(), "제목이 없습니다. 그대로 보내시겠습니까?");
        EXPECT_EQ(Page().IsSending(), answer == IDYES);
    }
    // Meanwhile the window does what the user asks.
    EXPECT_TRUE(frame.GetPostmanWindow().GetTabCtrl().SelectTab(0));
    PumpMessages();
    EXPECT_TRUE(IsShown(frame.GetPostmanWindow().GetMailboxPage().GetHandle()));
    EXPECT_EQ(Status(), "메일 서버에 연결 중...");
    CDialogAnswerer failure("Tidemark", IDOK, 40000);
    EXPECT_TRUE(PumpMessagesUntil([&] { return !Page().IsSending(); }, 45000));
    ASSERT_TRUE(failure.Wait());
    EXPECT_EQ(failure.GetText(), "SMTP 서버(127.0.0.1)에 연결할 수 없습니다.");
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SEND)));
    EXPECT_EQ(Text(IDC_RECIPIENTS), "someone@example.com");
    closesocket(silent);
}

TEST_F(QuickMailPageTest, TheOutgoingServersTrustReachesTheSendAndARefusedCertificateIsNamed) {
    Settings& settings = frame.GetSettings();
    settings.SMTPAddress = "localhost";
    settings.SMTPPort = TlsPeerPort("self-signed"); // speaks POP3 once TLS is up
    settings.SMTPSecurity = 1;                      // TLS on connect
    TypeText(Page().GetHandle(), IDC_RECIPIENTS, "someone@example.com");
    TypeText(Page().GetHandle(), IDC_SUBJECT, "보안");
    EXPECT_EQ(SendAndAnswer(), "localhost 서버의 인증서를 신뢰할 수 없습니다. 환경 설정의 보내는 메일에서 "
                               "\"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.");
    settings.SMTPTrustedCertificate = TlsPeerFingerprint("self-signed");
    EXPECT_EQ(SendAndAnswer(), "SMTP 서버(localhost)에 연결할 수 없습니다.\n\n+OK ready for localhost");
}

TEST_F(QuickMailPageTest, ReturnMovesOnOutsideTheBodyAndEscapeIsSwallowed) {
    const struct {
        int from;
        WPARAM key;
        int focus;
    } presses[] = {{IDC_RECIPIENTS, VK_RETURN, IDC_SUBJECT},
                   {IDC_SUBJECT, VK_RETURN, IDC_BODY},
                   {IDC_BODY, VK_RETURN, IDC_BODY},
                   {IDC_BODY, VK_ESCAPE, IDC_BODY}};
    for (const auto& press : presses) {
        PressKey(Page().GetHandle(), press.from, press.key);
        PumpAsTheProgram(application);
        EXPECT_EQ(GetFocus(), Item(press.focus)) << press.from;
    }
    EXPECT_EQ(Text(IDC_BODY), "\r\n") << "only the body takes a line break";
    EXPECT_TRUE(IsShown(Page().GetHandle()));
}

TEST_F(QuickMailPageTest, TypedKoreanReachesTheFieldsWhole) {
    for (int id : {IDC_BODY, IDC_SUBJECT}) {
        SetFocus(Item(id));
        SetWindowTextA(Item(id), "");
        TypeKeys(Item(id), L"잘 받았습니다.");
        PumpAsTheProgram(application);
        EXPECT_EQ(Text(id), "잘 받았습니다.") << id;
    }
}

TEST_F(QuickMailPageTest, TheSignatureNeverOverwritesWhatTheUserTyped) {
    Settings& settings = frame.GetSettings();
    CPageTabCtrl& tabs = frame.GetPostmanWindow().GetTabCtrl();
    settings.Sign = "서명";
    for (int signYN : {0, 1, 1}) {
        settings.SignYN = signYN;
        tabs.SelectTab(0);
        tabs.SelectTab(1);
        EXPECT_EQ(Text(IDC_BODY), signYN ? "\r\n서명" : "") << signYN;
    }
    TypeText(Page().GetHandle(), IDC_BODY, "직접 쓴 본문");
    tabs.SelectTab(0);
    tabs.SelectTab(1);
    EXPECT_EQ(Text(IDC_BODY), "직접 쓴 본문");
    ClickButton(Page().GetHandle(), IDC_CLEAR_ALL, Delivery::Sent);
    EXPECT_EQ(Text(IDC_BODY), "\r\n서명");
    EXPECT_EQ(GetFocus(), Item(IDC_RECIPIENTS));
}

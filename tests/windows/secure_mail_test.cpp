// POP3 and SMTP over TLS against the real test servers: dovecot serving
// TLS only, the TLS test servers with their good and bad certificates, and
// aiosmtpd with STARTTLS, TLS and a login. The test CA is trusted in the
// Wine prefix only.
#include "check_cycle_fixture.h"
#include "mail/smtp_session.h"
#include "option_sheet_driver.h"
#include "options/server_prop_dlg.h"
#include "tls_test_peer.h"

#include <fstream>

namespace {

const char trustHint[] =
    " 받는 메일 서버의 등록 정보에서 \"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.";

// Runs the server properties dialog on `entry` while `act` works in it, then presses OK.
ServerEntry EditInDialog(const ServerEntry& entry, const std::function<void(HWND)>& act) {
    CServerPropDlg dialog;
    dialog.editIndex = 0;
    dialog.server = entry;
    CUserThread user(
        [&] {
            HWND window = WaitForDialog(serverDialogCaption);
            act(window);
            ClickButton(window, IDOK, Delivery::Posted);
            WaitUntilClosed(window);
        },
        {"Tidemark", serverDialogCaption});
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    user.Join();
    return dialog.server;
}

ServerEntry TrustedAccount() {
    ServerEntry entry;
    entry.Name = "회사";
    entry.Address = "pop.example.com";
    entry.ID = "alice";
    entry.Port = 995;
    entry.Security = static_cast<int>(ConnectionSecurity::TlsOnConnect);
    entry.TrustedCertificate = std::string(64, 'a');
    entry.Notify = 0;
    entry.MailClient = 1;
    return entry;
}

class SecureCheckTest : public CheckCycleTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(TrustTlsPeerAuthority()) << "the TLS test servers are not running";
    }

    // An account of user on localhost, protected as asked.
    void AddSecureAccount(const std::string& name, const std::string& user, int port,
                          ConnectionSecurity security, const std::string& trusted = "") {
        AddAccount(name, user);
        const std::string section = ServerSection(accounts - 1);
        profile.WriteString(section, "Address", "localhost");
        profile.WriteInt(section, "Port", port);
        profile.WriteInt(section, "Security", static_cast<int>(security));
        profile.WriteString(section, "TrustedCertificate", trusted);
    }

    // Runs the server properties dialog on entry as a user does: "인증서
    // 확인", the box that follows answered with `answer` (its text in
    // `box`), then OK.
    static ServerEntry CheckCertificateInDialog(const ServerEntry& entry, int answer, std::string& box) {
        return EditInDialog(entry, [&](HWND window) {
            ClickButton(window, IDC_CHECK_CERTIFICATE, Delivery::Posted);
            box = AnswerBox("Tidemark", answer);
        });
    }
};

} // namespace

TEST_F(SecureCheckTest, DovecotIsCheckedOverStlsAndTls) {
    const std::string peers = TIDEMARK_PEERS_DIR;
    AddSecureAccount("STLS", "checka", PortIn(peers + "/pop3-stls.port"), ConnectionSecurity::StartTls);
    AddSecureAccount("TLS", "checkb", PortIn(peers + "/pop3s.port"), ConnectionSecurity::TlsOnConnect);
    StartProgram();
    RunCheck();
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), "STLS");
    EXPECT_EQ(Cell(0, 2), "첫 번째 편지");
    EXPECT_EQ(Cell(1, 0), "STLS");
    EXPECT_EQ(Cell(2, 0), "TLS");
    EXPECT_EQ(Cell(2, 1), "박영희");
}

TEST_F(SecureCheckTest, RefusedCertificatesEndTheirAccountsWithErrorRows) {
    AddSecureAccount("이름", "alice", TlsPeerPort("wrong-name"), ConnectionSecurity::TlsOnConnect);
    AddSecureAccount("만료", "alice", TlsPeerPort("expired"), ConnectionSecurity::TlsOnConnect);
    AddSecureAccount("자체", "alice", TlsPeerPort("self-signed"), ConnectionSecurity::TlsOnConnect);
    StartProgram();
    RunCheck();
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 2), std::string("localhost 서버의 인증서 이름이 맞지 않습니다.") + trustHint);
    EXPECT_EQ(Cell(1, 2), std::string("localhost 서버의 인증서가 만료되었습니다.") + trustHint);
    EXPECT_EQ(Cell(2, 2), std::string("localhost 서버의 인증서를 신뢰할 수 없습니다.") + trustHint);
}

TEST_F(SecureCheckTest, ACertificateTrustedInTheDialogIsAcceptedUntilItChanges) {
    ServerEntry entry;
    entry.Name = "자체 서명";
    entry.Address = "localhost";
    entry.ID = "alice";
    entry.Port = TlsPeerPort("self-signed");
    entry.Security = static_cast<int>(ConnectionSecurity::TlsOnConnect);
    entry.Notify = 0;
    entry.MailClient = 1;
    std::string box;
    entry = CheckCertificateInDialog(entry, IDYES, box);
    EXPECT_EQ(box.rfind("localhost 서버의 인증서를 신뢰할 수 없습니다.", 0), 0u) << box;
    EXPECT_NE(box.find(TlsPeerFingerprint("self-signed").substr(0, 2)), std::string::npos);
    ASSERT_TRUE(SameFingerprint(entry.TrustedCertificate, TlsPeerFingerprint("self-signed")));

    // The server's certificate changed: warned again, and "No" keeps the old trust.
    ServerEntry renewed = entry;
    renewed.Port = TlsPeerPort("self-signed-renewed");
    renewed = CheckCertificateInDialog(renewed, IDNO, box);
    EXPECT_NE(box.find("전에 신뢰하도록 등록한 인증서와 다른 인증서입니다."), std::string::npos) << box;
    EXPECT_EQ(renewed.TrustedCertificate, entry.TrustedCertificate);

    AddSecureAccount("신뢰", "alice", entry.Port, ConnectionSecurity::TlsOnConnect, entry.TrustedCertificate);
    AddSecureAccount("바뀜", "alice", renewed.Port, ConnectionSecurity::TlsOnConnect,
                     entry.TrustedCertificate);
    StartProgram();
    RunCheck();
    ASSERT_EQ(Rows(), 1); // the trusted server has no mail
    EXPECT_EQ(Cell(0, 0), "바뀜");
    EXPECT_EQ(Cell(0, 2), std::string("localhost 서버의 인증서를 신뢰할 수 없습니다.") + trustHint);
}

TEST_F(SecureCheckTest, TheCertificateCheckOfAnImapAccountTalksImap) {
    ServerEntry entry = TrustedAccount();
    entry.Address = "localhost";
    entry.TrustedCertificate.clear();
    entry.Protocol = ProtocolImap;
    for (const auto& [security, portFile] : {std::pair{ConnectionSecurity::TlsOnConnect, "/imaps.port"},
                                             std::pair{ConnectionSecurity::StartTls, "/imap-stls.port"}}) {
        entry.Security = static_cast<int>(security);
        entry.Port = PortIn(std::string(TIDEMARK_PEERS_DIR) + portFile);
        std::string box;
        CheckCertificateInDialog(entry, IDOK, box);
        EXPECT_EQ(box, "localhost 서버의 인증서가 올바릅니다.") << portFile;
    }
}

TEST_F(SecureCheckTest, ACertificateCheckOfASilentServerLeavesTheDialogAnswering) {
    CServerPropDlg dialog;
    dialog.editIndex = 0;
    dialog.server.Name = "무응답";
    dialog.server.Address = "localhost";
    dialog.server.ID = "alice";
    dialog.server.Port = TlsPeerPort("silent");
    dialog.server.Security = static_cast<int>(ConnectionSecurity::TlsOnConnect);
    bool buttonOff = false;
    bool answering = false;
    CUserThread user(
        [&] {
            HWND window = WaitForDialog(serverDialogCaption);
            ClickButton(window, IDC_CHECK_CERTIFICATE, Delivery::Posted);
            buttonOff = PumpMessagesUntil([&] { return !IsEnabled(window, IDC_CHECK_CERTIFICATE); });
            DWORD_PTR result = 0;
            answering = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
            ClickButton(window, IDCANCEL, Delivery::Posted); // closing ends the check
            WaitUntilClosed(window);
        },
        {"Tidemark", serverDialogCaption});
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    user.Join();
    EXPECT_TRUE(buttonOff);
    EXPECT_TRUE(answering);
}

TEST(ServerSecurity, AStoredSecurityNamingNoKindIsTlsShownAsUnknownAndKept) {
    EXPECT_EQ(SecurityOf(7), ConnectionSecurity::TlsOnConnect);
    EXPECT_EQ(SecurityOf(-1), ConnectionSecurity::TlsOnConnect);
    ServerEntry entry = TrustedAccount();
    entry.Security = 7;
    std::string shown;
    entry = EditInDialog(entry, [&](HWND window) { shown = ControlText(window, IDC_SERVER_SECURITY); });
    EXPECT_EQ(shown, "알 수 없음 (7) - TLS 연결로 사용");
    EXPECT_EQ(entry.Security, 7);
}

TEST(ServerSecurity, ChangingTheAddressOrPortDropsTheTrustedCertificate) {
    const struct {
        const char* host;
        const char* port;
        bool kept;
    } edits[] = {{"pop.example.com", "995", true},
                 {"mail.example.com", "995", false},
                 {"pop.example.com", "996", false}};
    for (const auto& edit : edits) {
        ServerEntry entry = EditInDialog(TrustedAccount(), [&](HWND window) {
            TypeText(window, IDC_SERVER_ADDRESS, edit.host);
            TypeText(window, IDC_SERVER_PORT, edit.port);
        });
        EXPECT_EQ(entry.TrustedCertificate, edit.kept ? TrustedAccount().TrustedCertificate : "")
            << edit.host << edit.port;
    }
}

TEST(SecureSmtp, SendsAfterALoginOverStarttlsOrTlsAndStopsAtARefusedLogin) {
    ASSERT_TRUE(TrustTlsPeerAuthority()) << "the TLS test servers are not running";
    const std::string sink = TIDEMARK_SMTP_SINK_DIR;
    const struct {
        ConnectionSecurity security;
        const char* portFile;
        const char* password;
        const char* recipient;
    } cases[] = {
        {ConnectionSecurity::StartTls, "starttls.port", "secret", "starttls@example.com"},
        {ConnectionSecurity::TlsOnConnect, "tls.port", "secret", "tls@example.com"},
        {ConnectionSecurity::StartTls, "starttls.port", "wrong", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portFile);
        CSmtpSession session;
        session.SetSecurity(c.security, "");
        session.SetLogin("alice", c.password);
        const bool opened = session.Open("localhost", PortIn(sink + "/" + c.portFile));
        if (!c.recipient) {
            EXPECT_FALSE(opened);
            EXPECT_EQ(session.GetLastReply().substr(0, 4), "535 ") << session.GetLastReply();
            continue;
        }
        ASSERT_TRUE(opened) << session.GetLastReply();
        COutgoingMail mail;
        mail.from.address = "me@example.com";
        mail.subject = "보안";
        mail.AddRecipient({"", c.recipient}, RecipientKind::To);
        mail.SetBody("암호화된 편지");
        std::remove((sink + "/" + c.recipient + ".eml").c_str());
        EXPECT_TRUE(session.Transmit(mail)) << session.GetLastReply();
        EXPECT_TRUE(session.Close());
        std::ifstream stored(sink + "/" + c.recipient + ".eml");
        EXPECT_TRUE(stored.good());
    }
}

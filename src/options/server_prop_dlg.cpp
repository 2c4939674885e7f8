#include "options/server_prop_dlg.h"

#include "widgets/avi_clip_dlg.h"
#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "base/ascii_text.h"
#include "core/user_texts.h"
#include "mail/imap_session.h"
#include "mail/pop3_session.h"
#include "options/option_fields.h"
#include "options/preset_hosts.h"
#include "resource.h"

#include <mmsystem.h>

#include <algorithm>

namespace {

const char downloadPage[] = "http://tidemark.harrowby.example/tdm2000/download.html";

const char waveFilter[] = "Wave 파일 (*.wav)|*.wav|모든 파일 (*.*)|*.*||";
const char aviFilter[] = "AVI 파일 (*.avi)|*.avi|모든 파일 (*.*)|*.*||";

// The list is sorted; the bracketed number keeps the index equal to the method.
const char* const checkAlgorithmTexts[] = {
    "[1] 오늘 도착한 메일만 수신",
    "[2] 실행 이후 도착한 메일만 수신",
    "[3] 메일 서버의 모든 메일을 수신",
};

const int newServerPort = 110;

// How long the certificate check waits for the server.
const int certificateCheckTimeoutMs = 15000;

void Leave(CPop3Session& session) {
    session.Quit();
}

void Leave(CImapSession& session) {
    session.Logout();
}

// Connects with a session of `Session`'s protocol, leaves again and tells
// what was learnt; `failureText` words a failure to connect.
template <typename Session>
CertificateProbe ProbeServer(const std::string& host, int port, ConnectionSecurity security,
                             const std::string& trusted, const std::atomic<int>* running,
                             std::string (*failureText)(const Session&)) {
    Session session;
    session.SetTimeout(certificateCheckTimeoutMs);
    session.SetStopFlag(running);
    session.SetSecurity(security, trusted);
    CertificateProbe probe;
    probe.connected = session.Connect(host, port);
    if (probe.connected)
        Leave(session);
    probe.certificateRefused = IsCertificateFailure(session.GetTlsFailure());
    probe.fingerprint = session.GetCertificateFingerprint();
    probe.errorText = failureText(session);
    return probe;
}

CertificateProbe ProbePop3Server(const std::string& host, int port, ConnectionSecurity security,
                                 const std::string& trusted, const std::atomic<int>* running) {
    return ProbeServer<CPop3Session>(host, port, security, trusted, running, Pop3FailureText);
}

CertificateProbe ProbeImapServer(const std::string& host, int port, ConnectionSecurity security,
                                 const std::string& trusted, const std::atomic<int>* running) {
    return ProbeServer<CImapSession>(host, port, security, trusted, running, ImapFailureText);
}

// What changes with the protocol, in the order of MailProtocolCode. The
// security texts follow the order of ConnectionSecurity.
struct ProtocolChoice {
    const char* name;
    const char* securityTexts[3];
    int (*usualPort)(ConnectionSecurity);
    const IncomingPresetHosts& presetHosts;
    CertificateProbe (*probe)(const std::string&, int, ConnectionSecurity, const std::string&,
                              const std::atomic<int>*);
};

const ProtocolChoice protocolChoices[] = {
    {"POP3",
     {"사용 안 함", "TLS 연결 (포트 995)", "STLS (포트 110)"},
     UsualPop3Port,
     pop3PresetHosts,
     ProbePop3Server},
    {"IMAP",
     {"사용 안 함", "TLS 연결 (포트 993)", "STARTTLS (포트 143)"},
     UsualImapPort,
     imapPresetHosts,
     ProbeImapServer},
};

// A stored protocol that names none is shown with nothing chosen, read as POP3 and kept.
const ProtocolChoice& ProtocolOf(int index) {
    return protocolChoices[index == ProtocolImap ? ProtocolImap : ProtocolPop3];
}

} // namespace

struct CServerPropDlg::NotifyBox {
    int id;
    int bit;
};

const CServerPropDlg::NotifyBox CServerPropDlg::notifyBoxes[] = {
    {IDC_NOTIFY_WAVE, NotifyWave},         {IDC_NOTIFY_AVI, NotifyAviClip},
    {IDC_NOTIFY_CLIENT, NotifyMailClient}, {IDC_NOTIFY_POSTMAN, NotifyPostman},
    {IDC_NOTIFY_TUNE, NotifyTune},         {IDC_NOTIFY_BALLOON, NotifyBalloon},
};

std::string DefaultWaveFile() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    folder.erase(folder.find_last_of("\\/") + 1); // keeps nothing when there is no folder
    return folder + "tidebell.wav";
}

CServerPropDlg::CServerPropDlg() : CDialog(IDD_SERVER_PROPERTIES) {}

void CServerPropDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_SERVER_NAME, server.Name);
    dx.Text(IDC_SERVER_ADDRESS, server.Address);
    dx.Text(IDC_SERVER_ID, server.ID);
    dx.Text(IDC_SERVER_PASSWORD, server.Password);
    dx.Text(IDC_WAVE_FILE, server.WaveFile);
    dx.Text(IDC_CLIENT_FILE, server.MailClientFile);
    dx.Text(IDC_AVI_FILE, server.AviFile);
    for (size_t i = 0; i < std::size(notifyBoxes); ++i)
        dx.Check(notifyBoxes[i].id, notifyChecks[i]);
    dx.Radio(IDC_CLIENT_OUTLOOK_EXPRESS, clientChoice);
    dx.ComboIndex(IDC_CHECK_ALGORITHM, methodIndex);
    dx.ComboIndex(IDC_SERVER_PROTOCOL, protocolIndex);
    dx.ComboIndex(IDC_SERVER_SECURITY, securityIndex);
    // Last: a port that does not validate leaves the values above exchanged.
    ExchangePort(dx, IDC_SERVER_PORT, server.Port);
}

bool CServerPropDlg::OnInitDialog() {
    bool newServer = editIndex == -1;
    if (newServer) {
        server.Port = newServerPort;
        server.Notify = NotifyWave | NotifyPostman | NotifyBalloon;
        server.WaveFile = DefaultWaveFile();
        server.MailClient = 1;
        server.CheckAlgorithm = CheckTodayOnly;
    }
    SetPortSpinRange(*this, IDC_PORT_SPIN);
    for (const char* text : checkAlgorithmTexts)
        SendMessageA(GetItem(IDC_CHECK_ALGORITHM), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    for (const ProtocolChoice& protocol : protocolChoices)
        SendMessageA(GetItem(IDC_SERVER_PROTOCOL), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(protocol.name));
    protocolIndex = server.Protocol;
    securityIndex = FillSecurityChoices(*this, IDC_SERVER_SECURITY, ProtocolOf(protocolIndex).securityTexts,
                                        server.Security);
    for (size_t i = 0; i < std::size(notifyBoxes); ++i)
        notifyChecks[i] = (server.Notify & notifyBoxes[i].bit) ? BST_CHECKED : BST_UNCHECKED;
    clientChoice = ClientChoiceOf(server.MailClient);
    methodIndex = server.CheckAlgorithm;
    trust.Reset(server.TrustedCertificate, server.Address, server.Port);
    UpdateData(false);
    ApplyEnablingRules();
    // A stored code other than 1 to 4 ticks "기타" but leaves its path closed
    // until "기타" is chosen again.
    if (server.MailClient < 4)
        EnableClientPath(*this, false);
    // Adding the presets keeps the host in the edit part.
    AddPresetHosts(GetItem(IDC_SERVER_ADDRESS), ProtocolOf(protocolIndex).presetHosts);
    ShowUsualPort();
    return true;
}

int CServerPropDlg::ChosenIndex(int comboId) const {
    return static_cast<int>(SendMessageA(GetItem(comboId), CB_GETCURSEL, 0, 0));
}

void CServerPropDlg::ShowUsualPort() {
    const int port = ProtocolOf(ChosenIndex(IDC_SERVER_PROTOCOL)).usualPort(ConnectionSecurity::None);
    SetItemText(IDC_PORT_DEFAULT, "(기본값 : " + std::to_string(port) + ")");
}

void CServerPropDlg::OnProtocolChosen() {
    const ProtocolChoice& before = ProtocolOf(protocolIndex);
    protocolIndex = ChosenIndex(IDC_SERVER_PROTOCOL);
    const ProtocolChoice& chosen = ProtocolOf(protocolIndex);
    if (&chosen == &before)
        return;
    // The same securities under the new protocol's names.
    HWND security = GetItem(IDC_SERVER_SECURITY);
    const int securityChosen = ChosenIndex(IDC_SERVER_SECURITY);
    SendMessageA(security, CB_RESETCONTENT, 0, 0);
    FillSecurityChoices(*this, IDC_SERVER_SECURITY, chosen.securityTexts, server.Security);
    SendMessageA(security, CB_SETCURSEL, securityChosen, 0);
    // The new protocol's presets; a host of the old presets becomes the same provider's.
    HWND address = GetItem(IDC_SERVER_ADDRESS);
    std::string host = GetItemText(IDC_SERVER_ADDRESS);
    auto preset = std::find(before.presetHosts.begin(), before.presetHosts.end(), host);
    if (preset != before.presetHosts.end())
        host = chosen.presetHosts[preset - before.presetHosts.begin()];
    SendMessageA(address, CB_RESETCONTENT, 0, 0);
    AddPresetHosts(address, chosen.presetHosts);
    SetItemText(IDC_SERVER_ADDRESS, host);
    SuggestUsualPort(
        *this, IDC_SERVER_SECURITY, IDC_SERVER_PORT, chosen.usualPort,
        {before.usualPort(ConnectionSecurity::None), before.usualPort(ConnectionSecurity::TlsOnConnect)});
    ShowUsualPort();
}

bool CServerPropDlg::IsTicked(int bit) const {
    for (size_t i = 0; i < std::size(notifyBoxes); ++i)
        if (notifyBoxes[i].bit == bit)
            return notifyChecks[i] == BST_CHECKED;
    return false;
}

void CServerPropDlg::ApplyEnablingRules() {
    bool wave = IsTicked(NotifyWave), avi = IsTicked(NotifyAviClip);
    for (int id : {IDC_WAVE_FILE, IDC_BROWSE_WAVE, IDC_PLAY_WAVE})
        EnableWindow(GetItem(id), wave);
    for (int id : {IDC_AVI_FILE, IDC_BROWSE_AVI, IDC_SHOW_AVI})
        EnableWindow(GetItem(id), avi);
}

void CServerPropDlg::OnClientChosen(bool other) {
    EnableClientPath(*this, other);
    UpdateData(true);
}

void CServerPropDlg::Browse(const char* filter, std::string& path) {
    UpdateData(true);
    std::string chosen = ChooseFileToOpen(handle, filter);
    if (!chosen.empty())
        path = chosen;
    UpdateData(false);
}

void CServerPropDlg::CheckCertificate() {
    if (!UpdateData(true))
        return;
    server.Address = TrimWhiteSpace(server.Address);
    trust.Check(*this, "메일 서버 주소", server.Address, server.Port, SecurityOf(securityIndex),
                ProtocolOf(protocolIndex).probe,
                {IDC_SERVER_ADDRESS, IDC_SERVER_PORT, IDC_SERVER_PROTOCOL, IDC_SERVER_SECURITY,
                 IDC_CHECK_CERTIFICATE});
}

bool CServerPropDlg::OnCommand(int id, int code, HWND) {
    if (id == IDC_SERVER_SECURITY && code == CBN_SELCHANGE) {
        const ProtocolChoice& protocol = ProtocolOf(protocolIndex);
        SuggestUsualPort(*this, IDC_SERVER_SECURITY, IDC_SERVER_PORT, protocol.usualPort,
                         {protocol.usualPort(ConnectionSecurity::None),
                          protocol.usualPort(ConnectionSecurity::TlsOnConnect)});
        return true;
    }
    if (id == IDC_SERVER_PROTOCOL && code == CBN_SELCHANGE) {
        OnProtocolChosen();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_NOTIFY_WAVE:
    case IDC_NOTIFY_AVI:
        UpdateData(true);
        ApplyEnablingRules();
        return true;
    case IDC_NOTIFY_CLIENT:
    case IDC_NOTIFY_POSTMAN:
    case IDC_NOTIFY_TUNE:
    case IDC_NOTIFY_BALLOON:
        UpdateData(true);
        return true;
    case IDC_CLIENT_OUTLOOK_EXPRESS:
    case IDC_CLIENT_OUTLOOK:
    case IDC_CLIENT_NETSCAPE:
        OnClientChosen(false);
        return true;
    case IDC_CLIENT_OTHER:
        OnClientChosen(true);
        return true;
    case IDC_BROWSE_WAVE:
        Browse(waveFilter, server.WaveFile);
        return true;
    case IDC_BROWSE_CLIENT:
        Browse(programFilter, server.MailClientFile);
        return true;
    case IDC_BROWSE_AVI:
        Browse(aviFilter, server.AviFile);
        return true;
    case IDC_PLAY_WAVE:
        if (!server.WaveFile.empty())
            sndPlaySoundA(server.WaveFile.c_str(), SND_ASYNC | SND_NODEFAULT);
        return true;
    case IDC_SHOW_AVI:
        PlayAviClip(server.AviFile, handle);
        return true;
    case IDC_RUN_CLIENT:
        OpenWithShell(server.MailClientFile);
        return true;
    case IDC_DOWNLOAD:
        OpenWithShell(downloadPage);
        return true;
    case IDC_CHECK_CERTIFICATE:
        CheckCertificate();
        return true;
    }
    return false;
}

std::string CServerPropDlg::ValidationProblem() const {
    if (server.Name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return "서버 이름에는 \\/:*?\"<>|와 같은 문자가 올 수 없습니다.";
    if (server.Name.empty() || server.ID.empty())
        return "패스워드를 제외한 모든 항목을 입력 하시기 바랍니다.";
    std::string hostProblem = HostNameProblem(server.Address, "메일 서버 주소");
    if (!hostProblem.empty())
        return hostProblem;
    if (clientChoice == otherClientChoice && server.MailClientFile.empty())
        return "메일 클라이언트의 경로를 입력 하시기 바랍니다.";
    if (IsTicked(NotifyWave) && server.WaveFile.empty())
        return "음악(Wave) 파일의 경로를 입력 하시기 바랍니다.";
    if (IsTicked(NotifyAviClip) && server.AviFile.empty())
        return "동영상(AVI) 파일의 경로를 입력 하시기 바랍니다.";
    return "";
}

void CServerPropDlg::OnOK() {
    if (!UpdateData(true))
        return;
    server.Name = TrimWhiteSpace(server.Name);
    server.Address = TrimWhiteSpace(server.Address);
    UpdateData(false);
    std::string problem = ValidationProblem();
    if (!problem.empty()) {
        ShowMessage(handle, problem, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // An unknown stored method selects nothing and stays as it was.
    if (methodIndex >= 0)
        server.CheckAlgorithm = methodIndex;
    server.Notify = 0;
    for (const NotifyBox& box : notifyBoxes)
        if (IsTicked(box.bit))
            server.Notify |= box.bit;
    server.MailClient = MailClientOf(clientChoice);
    server.Security = StoredSecurityOf(securityIndex, server.Security);
    if (protocolIndex >= 0)
        server.Protocol = protocolIndex;
    // A fingerprint match skips the host-name check: it must never vouch for another server.
    server.TrustedCertificate = trust.For(server.Address, server.Port);
    EndDialog(IDOK);
}

// "메일 서버 등록 정보": creates or edits one POP3 or IMAP account. The caller fills
// `server` (and `editIndex`), runs the dialog and, after OK, reads back the
// values the dialog edits: `Name`, `Address`, `ID`, `Password`, `Port`,
// `CheckAlgorithm`, `Notify`, `WaveFile`, `AviFile`, `MailClient`,
// `MailClientFile`, `Security`, `Protocol` and `TrustedCertificate`.
// Choosing the protocol or the security suggests its usual port while the
// port is still the one suggested before. "인증서 확인" connects to the
// server as set, in the background, and, when Windows
// refuses its certificate, offers to trust it by its SHA-256 fingerprint; a
// trust belongs to its host and port, and OK drops it when either changed.
// OK validates first and keeps the dialog open with a message while a value
// is unusable; the dialog never touches `Settings`.
#pragma once

#include "core/settings.h"
#include "framework/dialog.h"
#include "options/certificate_trust.h"

#include <string>

class CServerPropDlg : public CDialog {
  public:
    CServerPropDlg();

    // -1 for a new account, which starts with port 110, method 0, mail
    // client 1, the wave sound, the postman window and the balloon (Notify
    // 41) and the
    // bell file in the program's folder; otherwise the row being edited.
    int editIndex = -1;
    ServerEntry server;

  protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    struct NotifyBox;
    static const NotifyBox notifyBoxes[];

    bool IsTicked(int bit) const;
    void ApplyEnablingRules();
    void OnClientChosen(bool other);
    // The message for the first unusable value, or "".
    std::string ValidationProblem() const;
    void Browse(const char* filter, std::string& path);
    void CheckCertificate();
    int ChosenIndex(int comboId) const;
    // "(기본값 : 110)", or the chosen protocol's plain port.
    void ShowUsualPort();
    // Names the securities, offers the presets and suggests the port of the chosen protocol.
    void OnProtocolChosen();

    // Exchanged with the check boxes, in the order of `notifyBoxes`.
    int notifyChecks[6] = {};
    int clientChoice = -1;
    int methodIndex = -1;   // the selected reception method
    int securityIndex = -1; // the selected ConnectionSecurity
    int protocolIndex = -1; // the selected MailProtocolCode
    CCertificateTrust trust;
};

// The program's own folder, ending in a backslash, and "tidebell.wav".
std::string DefaultWaveFile();

#include "options/certificate_trust.h"

#include "framework/message_box.h"
#include "net/tls_channel.h"
#include "options/option_fields.h"

#include <memory>

namespace {

// 64 hex digits in pairs, as certificate viewers show them.
std::string SpacedFingerprint(const std::string& digits) {
    std::string spaced;
    for (size_t i = 0; i < digits.size(); i += 2)
        spaced += (i == 0 ? "" : i % 32 == 0 ? "\r\n" : " ") + digits.substr(i, 2);
    return spaced;
}

} // namespace

void CCertificateTrust::Reset(const std::string& trustedFingerprint, const std::string& host, int port) {
    fingerprint = trustedFingerprint;
    trustedHost = host;
    trustedPort = port;
}

std::string CCertificateTrust::For(const std::string& host, int port) const {
    return host == trustedHost && port == trustedPort ? fingerprint : "";
}

void CCertificateTrust::Check(const CWindow& dialog, const std::string& fieldName, const std::string& host,
                              int port, ConnectionSecurity security, CertificateProber probe,
                              std::initializer_list<int> fields) {
    if (job.IsRunning())
        return;
    HWND owner = dialog.GetHandle();
    std::string problem = HostNameProblem(host, fieldName);
    if (problem.empty() && security == ConnectionSecurity::None)
        problem = "보안 연결을 사용하는 서버만 인증서를 확인할 수 있습니다.";
    if (!problem.empty()) {
        ShowMessage(owner, problem, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::vector<HWND> controls;
    for (int id : fields)
        controls.push_back(dialog.GetItem(id));
    auto answer = std::make_shared<CertificateProbe>();
    const std::string trusted = For(host, port);
    const bool started = job.Start(
        [answer, probe, host, port, security, trusted](CJobControl& control) {
            *answer = probe(host, port, security, trusted, control.RunningFlag());
        },
        [this, owner, controls, answer, host, port] {
            for (HWND control : controls)
                EnableWindow(control, TRUE);
            Show(owner, host, port, *answer);
        });
    if (!started)
        return;
    // The answer is about the server as it was asked.
    for (HWND control : controls)
        EnableWindow(control, FALSE);
}

void CCertificateTrust::Show(HWND owner, const std::string& host, int port, const CertificateProbe& probe) {
    const std::string trusted = For(host, port);
    if (probe.connected) {
        ShowMessage(owner, SameFingerprint(trusted, probe.fingerprint)
                               ? host + " 서버의 인증서는 신뢰하도록 등록된 인증서입니다."
                               : host + " 서버의 인증서가 올바릅니다.");
        return;
    }
    if (!probe.certificateRefused || probe.fingerprint.empty()) {
        ShowMessage(owner, probe.errorText, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::string question = probe.errorText + "\r\n\r\n";
    if (!trusted.empty())
        question += "전에 신뢰하도록 등록한 인증서와 다른 인증서입니다.\r\n\r\n";
    question += "인증서의 SHA-256 지문:\r\n" + SpacedFingerprint(probe.fingerprint) +
                "\r\n\r\n지문이 서버 관리자가 알려 준 것과 같을 때만 신뢰하십시오. "
                "이 인증서를 신뢰하시겠습니까? (인증서가 바뀌면 다시 묻습니다.)";
    if (ShowMessage(owner, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
        Reset(probe.fingerprint, host, port);
}

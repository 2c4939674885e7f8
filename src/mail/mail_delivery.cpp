#include "mail/mail_delivery.h"

CMailDelivery::CMailDelivery(const std::string& host, int port, const std::string& attachmentPath)
    : host(host), port(port), attachmentPath(attachmentPath) {}

void CMailDelivery::UseSecurity(ConnectionSecurity mode, const std::string& trusted,
                                const std::string& loginUser, const std::string& loginPassword) {
    security = mode;
    trustedFingerprint = trusted;
    user = loginUser;
    password = loginPassword;
}

DeliveryOutcome CMailDelivery::Run(const std::function<void()>& connected, const std::atomic<int>* running) {
    DeliveryOutcome outcome;
    if (!attachmentPath.empty()) {
        if (!attachment.LoadFile(attachmentPath)) {
            outcome.result = DeliveryResult::AttachmentUnreadable;
            return outcome;
        }
        mail.AddAttachment(&attachment);
    }
    CSmtpSession session;
    session.SetSecurity(security, trustedFingerprint);
    session.SetLogin(user, password);
    session.SetStopFlag(running);
    if (!session.Open(host, port)) {
        outcome.result = DeliveryResult::ConnectFailed;
        outcome.error = session.GetError();
        outcome.certificateRefused = IsCertificateFailure(session.GetTlsFailure());
        return outcome;
    }
    connected();
    if (!session.Transmit(mail)) {
        outcome.result = DeliveryResult::TransmitFailed;
        outcome.error = session.GetError();
        return outcome; // the session says QUIT as it goes
    }
    session.Close();
    return outcome;
}

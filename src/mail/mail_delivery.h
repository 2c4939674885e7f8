// One mail handed to an SMTP server, the file to attach read first: the
// network part of a quick-mail send. It touches no window, so it can run on
// a worker thread while the user interface goes on.
#pragma once

#include "mail/connection_security.h"
#include "mail/mail_attachment.h"
#include "mail/outgoing_mail.h"
#include "mail/smtp_session.h"

#include <atomic>
#include <functional>
#include <string>

enum class DeliveryResult { Sent, AttachmentUnreadable, ConnectFailed, TransmitFailed };

struct DeliveryOutcome {
    DeliveryResult result = DeliveryResult::Sent;
    // Why the session did not open or the transmission failed.
    SmtpError error;
    // The connection failed on the server's certificate.
    bool certificateRefused = false;
};

class CMailDelivery {
  public:
    // `attachmentPath` empty: the mail goes without an attachment.
    CMailDelivery(const std::string& host, int port, const std::string& attachmentPath);
    CMailDelivery(const CMailDelivery&) = delete;
    CMailDelivery& operator=(const CMailDelivery&) = delete;

    // How the session reaches the server: TLS as chosen, accepting the
    // certificate with `trustedFingerprint`, and a login when `user` is not
    // empty. Plain and without a login unless set.
    void UseSecurity(ConnectionSecurity mode, const std::string& trustedFingerprint, const std::string& user,
                     const std::string& password);

    // The mail to send; its sender, recipients, subject and body are the
    // caller's, the attachment is added by Run.
    COutgoingMail mail;

    // Reads the attachment (nothing is sent when it can't be read), opens a
    // session, calls `connected` once the server has accepted HELO,
    // transmits the mail and closes the session with QUIT, also after a
    // refusal. Runs once. A wait for the server ends early once `*running`
    // is 0 (a cancelled send).
    DeliveryOutcome Run(const std::function<void()>& connected, const std::atomic<int>* running = nullptr);

  private:
    std::string host;
    int port;
    std::string attachmentPath;
    ConnectionSecurity security = ConnectionSecurity::None;
    std::string trustedFingerprint;
    std::string user;
    std::string password;
    MailAttachment attachment;
};

// "인증서 확인" of the account and outgoing-server settings: connects to the
// server as set, in the background, tells the user about its certificate
// and, when Windows refuses it, offers to trust it by its SHA-256
// fingerprint. A trust belongs to the host and port it was given for and
// vouches for no other server.
#pragma once

#include "framework/background_job.h"
#include "framework/window.h"
#include "mail/connection_security.h"

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// What connecting to a server learned about its certificate.
struct CertificateProbe {
    bool connected = false;
    bool certificateRefused = false;
    std::string fingerprint;
    std::string errorText;
};

// Connects to `host` and `port` as `security` asks, accepting the
// certificate `trusted`, and leaves again; gives up once *running is 0.
using CertificateProber =
    std::function<CertificateProbe(const std::string& host, int port, ConnectionSecurity security,
                                   const std::string& trusted, const std::atomic<int>* running)>;

class CCertificateTrust {
  public:
    // The stored fingerprint and the server it was stored for.
    void Reset(const std::string& trustedFingerprint, const std::string& host, int port);
    // The trusted fingerprint when `host` and `port` are its server; "" for
    // any other. Host names are compared as typed: a trust never reaches
    // further than it was meant to.
    std::string For(const std::string& host, int port) const;

    // Asks `probe` about the server for `dialog`, whose controls `fields`
    // stay off until the answer is shown. An unusable host (named by
    // `fieldName`) or a plain connection is refused with a message instead.
    void Check(const CWindow& dialog, const std::string& fieldName, const std::string& host, int port,
               ConnectionSecurity security, CertificateProber probe, std::initializer_list<int> fields);

  private:
    void Show(HWND owner, const std::string& host, int port, const CertificateProbe& probe);

    std::string fingerprint;
    std::string trustedHost;
    int trustedPort = 0;
    CBackgroundJob job;
};

// The TLS test servers of tests/peers/tls_peer.sh and a plain loopback
// connection to put a TLS channel on.
#pragma once

#include "framework/blocking_stream.h"
#include "framework/socket_platform.h"

#include <string>

// The port of the server `name` ("good", "plain", "silent", ...); 0 when the
// servers are not running.
int TlsPeerPort(const std::string& name);
// A certificate's SHA-256 fingerprint as openssl prints it (AB:CD:...).
std::string TlsPeerFingerprint(const std::string& certificate);
// How many TLS sessions the servers saw the client close with close_notify.
int TlsPeerCleanCloses();
// Adds the servers' test CA to the current user's Root store (of the Wine
// prefix the tests run in); false when it cannot.
bool TrustTlsPeerAuthority();

// A TCP connection to a port of 127.0.0.1, connected on construction.
class CLoopbackConnection : public CBlockingStream {
  public:
    explicit CLoopbackConnection(int port);
    ~CLoopbackConnection() override;
    CLoopbackConnection(const CLoopbackConnection&) = delete;
    CLoopbackConnection& operator=(const CLoopbackConnection&) = delete;

    bool IsConnected() const { return connected; }
    bool Send(const char* data, size_t length) override;
    int Receive(char* buffer, size_t size, int timeoutMs) override;
    bool TimedOut() const override { return timedOut; }

  private:
    SocketHandle handle;
    bool connected = false;
    bool timedOut = false;
};

// Sends text and CR LF.
bool SendLine(CBlockingStream& stream, const std::string& text);
// The next line from stream without its CR LF, each byte awaited at most
// timeoutMs; what arrived so far when the stream ends or stalls first.
std::string ReadLine(CBlockingStream& stream, int timeoutMs = 5000);

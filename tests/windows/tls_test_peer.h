// The TLS test servers of tests/peers/tls_peer.sh and line helpers for a
// transport talking to them.
#pragma once

#include "net/socket_transport.h"

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

// Sends text and CR LF.
bool SendLine(CSocketTransport& transport, const std::string& text);
// The next line without its CR LF; what arrived so far when the
// connection fails or stalls first (the transport's receive time-out).
std::string ReadLine(CSocketTransport& transport);

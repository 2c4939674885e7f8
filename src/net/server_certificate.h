// What Windows says about a TLS server's certificate. Windows only.
#pragma once

#include "net/tls_channel.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

// The SHA-256 of the certificate's DER bytes as 64 upper-case hex digits;
// empty when the system cannot compute it.
std::string CertificateFingerprint(PCCERT_CONTEXT certificate);

// Builds the certificate's chain against the current user's certificate
// stores (with the intermediates the server sent along) and checks it by
// the SSL server policy for host. None when Windows accepts it; no
// revocation lists are fetched.
TlsFailure CheckServerCertificate(PCCERT_CONTEXT certificate, const std::string& host);

// TLS over a connected byte stream, through the platform's own TLS
// (SChannel on Windows; builds without one refuse every handshake).
//
// A channel is a layer of the timed transport (socket_transport.h): made
// over the socket's stream right after connecting (TLS on connect) or once
// the plain dialogue has agreed to start TLS (STLS, STARTTLS); anything the
// plain dialogue read beyond that reply must be thrown away, not handed to
// the channel. Handshake blocks (bounded); after it succeeded the channel is
// a non-blocking CByteStream like the socket beneath it, and the socket must
// outlive it. A channel that failed, or whose session broke down, carries
// nothing more. One thread uses a channel at a time.
#pragma once

#include "net/socket_stream.h"

#include <atomic>
#include <memory>
#include <string>

// Why a channel failed; the user's words for each are chosen above.
enum class TlsFailure {
    None,
    Unsupported,          // this build has no TLS
    Handshake,            // the server and we found no common ground
    ProtocolTooOld,       // the server offers nothing newer than TLS 1.1
    TimedOut,             // the server did not answer the handshake in time
    Closed,               // the server closed the connection
    CertificateExpired,   // outside its validity period
    CertificateName,      // issued for another host name
    CertificateUntrusted, // no trusted root, broken chain or wrong use
    CertificateRevoked,   // revoked by its issuer
    Stream,               // the established session broke down
};

// A failed channel's reason, the host it was talking to and, where the
// platform gave one, its status code.
struct TlsError {
    TlsFailure failure = TlsFailure::None;
    std::string host;
    std::string detail;
};

class CTlsChannel : public CByteStream {
  public:
    // Negotiates TLS 1.2 or later with host: its name goes to the server
    // (SNI) and the certificate must be valid for it, chaining to a root the
    // user trusts. A certificate that fails this check is still accepted
    // when its SHA-256 fingerprint equals trustedFingerprint (see
    // SameFingerprint; empty trusts nothing). Bounded as a whole by
    // timeoutMs, and ends within a quarter of a second once *stopFlag (when
    // given) becomes 0, as a time-out. False with GetFailure and GetError
    // set; the fingerprint is known from the moment the server
    // showed its certificate, also when the check refused it. Once per
    // channel.
    virtual bool Handshake(const std::string& host, const std::string& trustedFingerprint, int timeoutMs,
                           const std::atomic<int>* stopFlag = nullptr) = 0;

    // CByteStream. Read hands out decrypted data; Write takes plain data
    // into one record and sends what the stream beneath takes now, the rest
    // with the next Write or Wait; Wait is ready for reading when Read has
    // data or an end to report. Shutdown tells the server that we are done
    // (close_notify) and ends the session; the socket stays open.

    TlsFailure GetFailure() const { return error.failure; }
    const TlsError& GetError() const { return error; }
    // The SHA-256 of the server's certificate (DER) as 64 upper-case hex
    // digits; empty before the server showed one.
    const std::string& GetCertificateFingerprint() const { return fingerprint; }

  protected:
    // Records reason, with host and an optional detail (a status code).
    // Returns false.
    bool Fail(TlsFailure reason, const std::string& host, const std::string& detail = std::string());

    std::string fingerprint;

  private:
    TlsError error;
};

// A channel over lower, a connected stream.
std::unique_ptr<CTlsChannel> CreateTlsChannel(CByteStream& lower);

// Whether the failure is the server certificate's (which the user may
// choose to trust by its fingerprint).
bool IsCertificateFailure(TlsFailure failure);

// Whether two fingerprints name the same certificate: their hex digits
// compared without regard to case, colons and blanks ignored. A fingerprint
// without digits matches nothing.
bool SameFingerprint(const std::string& one, const std::string& other);

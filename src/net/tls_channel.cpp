#include "net/tls_channel.h"

#include "base/ascii_text.h"

namespace {

std::string FingerprintDigits(const std::string& fingerprint) {
    std::string digits;
    for (char c : fingerprint)
        if (c != ':' && c != ' ')
            digits += AsciiUpper(c);
    return digits;
}

} // namespace

bool IsCertificateFailure(TlsFailure failure) {
    return failure == TlsFailure::CertificateExpired || failure == TlsFailure::CertificateName ||
           failure == TlsFailure::CertificateUntrusted || failure == TlsFailure::CertificateRevoked;
}

bool SameFingerprint(const std::string& one, const std::string& other) {
    const std::string digits = FingerprintDigits(one);
    return !digits.empty() && digits == FingerprintDigits(other);
}

bool CTlsChannel::Fail(TlsFailure reason, const std::string& host, const std::string& detail) {
    error = {reason, host, detail};
    return false;
}

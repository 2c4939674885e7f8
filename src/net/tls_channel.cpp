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

std::string TlsFailureText(TlsFailure failure, const std::string& host) {
    switch (failure) {
    case TlsFailure::None:
        return std::string();
    case TlsFailure::Unsupported:
        return "TLS를 지원하지 않습니다.";
    case TlsFailure::Handshake:
        return host + " 서버와 보안 연결(TLS)을 맺지 못했습니다.";
    case TlsFailure::ProtocolTooOld:
        return host + " 서버가 TLS 1.2 이상을 지원하지 않습니다.";
    case TlsFailure::TimedOut:
        return host + " 서버가 보안 연결(TLS) 중에 응답하지 않습니다.";
    case TlsFailure::Closed:
        return host + " 서버가 보안 연결(TLS) 중에 연결을 끊었습니다.";
    case TlsFailure::CertificateExpired:
        return host + " 서버의 인증서가 만료되었습니다.";
    case TlsFailure::CertificateName:
        return host + " 서버의 인증서 이름이 맞지 않습니다.";
    case TlsFailure::CertificateUntrusted:
        return host + " 서버의 인증서를 신뢰할 수 없습니다.";
    case TlsFailure::CertificateRevoked:
        return host + " 서버의 인증서가 폐기되었습니다.";
    case TlsFailure::Stream:
        return host + " 서버와의 보안 연결(TLS)에 오류가 발생했습니다.";
    }
    return std::string();
}

bool IsCertificateFailure(TlsFailure failure) {
    return failure == TlsFailure::CertificateExpired || failure == TlsFailure::CertificateName ||
           failure == TlsFailure::CertificateUntrusted || failure == TlsFailure::CertificateRevoked;
}

bool SameFingerprint(const std::string& one, const std::string& other) {
    const std::string digits = FingerprintDigits(one);
    return !digits.empty() && digits == FingerprintDigits(other);
}

bool CTlsChannel::Fail(TlsFailure reason, const std::string& host, const std::string& detail) {
    failure = reason;
    errorText = TlsFailureText(reason, host);
    if (!detail.empty())
        errorText += " (" + detail + ")";
    return false;
}

#include "net/server_certificate.h"

#include "base/ascii_text.h"

#include <vector>

std::string CertificateFingerprint(PCCERT_CONTEXT certificate) {
    BYTE hash[32];
    DWORD size = sizeof hash;
    if (!CryptHashCertificate2(L"SHA256", 0, nullptr, certificate->pbCertEncoded, certificate->cbCertEncoded,
                               hash, &size) ||
        size != sizeof hash)
        return std::string();
    std::string hex;
    for (BYTE b : hash)
        hex += HexText(b, 2);
    return hex;
}

namespace {

TlsFailure ReasonOf(DWORD policyError) {
    switch (policyError) {
    case ERROR_SUCCESS:
        return TlsFailure::None;
    case static_cast<DWORD>(CERT_E_EXPIRED):
    case static_cast<DWORD>(CERT_E_VALIDITYPERIODNESTING):
        return TlsFailure::CertificateExpired;
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return TlsFailure::CertificateName;
    case static_cast<DWORD>(CRYPT_E_REVOKED):
        return TlsFailure::CertificateRevoked;
    default:
        return TlsFailure::CertificateUntrusted;
    }
}

// The text in UTF-16 with its terminating null.
std::vector<wchar_t> WideText(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

} // namespace

TlsFailure CheckServerCertificate(PCCERT_CONTEXT certificate, const std::string& host) {
    char serverAuthentication[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuthentication};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0,
                                 nullptr, &chain))
        return TlsFailure::CertificateUntrusted;

    std::vector<wchar_t> serverName = WideText(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara = {};
    sslPara.cbSize = sizeof sslPara;
    sslPara.dwAuthType = AUTHTYPE_SERVER;
    sslPara.pwszServerName = serverName.data();
    CERT_CHAIN_POLICY_PARA policyPara = {};
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &sslPara;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    const BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status);
    CertFreeCertificateChain(chain);
    return checked ? ReasonOf(status.dwError) : TlsFailure::CertificateUntrusted;
}

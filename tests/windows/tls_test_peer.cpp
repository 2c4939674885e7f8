#include "tls_test_peer.h"

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>

namespace {

std::string PeerFile(const std::string& name) {
    return std::string(TIDEMARK_TLS_PEER_DIR) + "/" + name;
}

} // namespace

int TlsPeerPort(const std::string& name) {
    std::ifstream file(PeerFile("ports"));
    std::string server;
    int port = 0;
    while (file >> server >> port)
        if (server == name)
            return port;
    return 0;
}

std::string TlsPeerFingerprint(const std::string& certificate) {
    std::ifstream file(PeerFile("certs/" + certificate + ".sha256"));
    std::string fingerprint;
    file >> fingerprint;
    return fingerprint;
}

int TlsPeerCleanCloses() {
    std::ifstream file(PeerFile("clean-closes"));
    int count = 0;
    for (std::string line; std::getline(file, line);)
        ++count;
    return count;
}

bool TrustTlsPeerAuthority() {
    std::ifstream file(PeerFile("certs/ca.der"), std::ios::binary);
    const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (!root)
        return false;
    const BOOL added =
        !der.empty() && CertAddEncodedCertificateToStore(
                            root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                            static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(root, 0);
    return added;
}

bool SendLine(CSocketTransport& transport, const std::string& text) {
    return transport.Send(text + "\r\n");
}

std::string ReadLine(CSocketTransport& transport) {
    std::string line;
    char c;
    while (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
        if (transport.Receive(&c, 1) != 1)
            return line;
        line += c;
    }
    return line.substr(0, line.size() - 2);
}

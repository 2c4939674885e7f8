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

CLoopbackConnection::CLoopbackConnection(int port) : handle(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected = handle != INVALID_SOCKET &&
                connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

CLoopbackConnection::~CLoopbackConnection() {
    if (handle != INVALID_SOCKET)
        closesocket(handle);
}

bool CLoopbackConnection::Send(const char* data, size_t length) {
    while (length > 0) {
        const int sent = send(handle, data, static_cast<int>(length), 0);
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

int CLoopbackConnection::Receive(char* buffer, size_t size, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(handle, &readable);
    timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
    timedOut = ready == 0;
    if (ready <= 0)
        return -1;
    const int n = recv(handle, buffer, static_cast<int>(size), 0);
    return n < 0 ? -1 : n;
}

bool SendLine(CBlockingStream& stream, const std::string& text) {
    const std::string line = text + "\r\n";
    return stream.Send(line.data(), line.size());
}

std::string ReadLine(CBlockingStream& stream, int timeoutMs) {
    std::string line;
    char c;
    while (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
        if (stream.Receive(&c, 1, timeoutMs) != 1)
            return line;
        line += c;
    }
    return line.substr(0, line.size() - 2);
}

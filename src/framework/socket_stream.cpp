#include "framework/socket_stream.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#endif

namespace {

#ifdef _WIN32
constexpr int sendFlags = 0;
bool ConnectPending(int error) {
    return error == WSAEWOULDBLOCK;
}
#else
// A peer that has closed must give an error, not SIGPIPE.
constexpr int sendFlags = MSG_NOSIGNAL;
bool ConnectPending(int error) {
    return error == EINPROGRESS;
}
#endif

} // namespace

CBlockingSocket::~CBlockingSocket() {
    Close();
}

bool CBlockingSocket::Create() {
    Close();
    handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return handle != INVALID_SOCKET;
}

void CBlockingSocket::Close() {
    if (handle != INVALID_SOCKET)
        CloseSocketHandle(handle);
    handle = INVALID_SOCKET;
}

bool CBlockingSocket::SetBlocking(bool blocking) {
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(handle, FIONBIO, &nonBlocking) == 0;
#else
    const int flags = fcntl(handle, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(handle, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
#endif
}

int CBlockingSocket::WaitReady(bool forWriting, int timeoutMs) {
#ifdef _WIN32
    // Winsock's select has no descriptor limit; a failed connect shows in
    // the exception set.
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(handle, &ready);
    FD_SET(handle, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                         forWriting ? &failed : nullptr, timeoutMs < 0 ? nullptr : &limit);
    return n > 0 ? 1 : n;
#else
    pollfd entry{handle, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    int n;
    do
        n = poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
    while (n < 0 && errno == EINTR);
    return n > 0 ? 1 : n;
#endif
}

bool CBlockingSocket::Connect(const std::string& host, int port, int timeoutMs) {
    if (handle == INVALID_SOCKET || port < 0 || port > 65535)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    if (!ResolveIPv4(host, address.sin_addr))
        return false;

    // Connect without blocking, then wait for the outcome at most timeoutMs.
    if (!SetBlocking(false))
        return false;
    bool connected = connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    if (!connected && ConnectPending(LastSocketError()) && WaitReady(true, timeoutMs) == 1) {
        int error = 0;
        SocketLength length = sizeof(error);
        connected = getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
                    error == 0;
    }
    return SetBlocking(true) && connected;
}

bool CBlockingSocket::Send(const char* data, size_t length) {
    if (handle == INVALID_SOCKET)
        return false;
    while (length > 0) {
        const int chunk = length > 65536 ? 65536 : static_cast<int>(length);
        const int sent = send(handle, data, chunk, sendFlags);
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

int CBlockingSocket::Receive(char* buffer, size_t size, int timeoutMs) {
    timedOut = false;
    if (handle == INVALID_SOCKET)
        return -1;
    const int ready = WaitReady(false, timeoutMs);
    if (ready <= 0) {
        timedOut = ready == 0;
        return -1;
    }
    const int limit = size > 1 << 30 ? 1 << 30 : static_cast<int>(size);
    int n;
    do
        n = static_cast<int>(recv(handle, buffer, limit, 0));
    while (n < 0 && LastSocketError() == EINTR);
    return n < 0 ? -1 : n;
}

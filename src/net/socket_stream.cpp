#include "net/socket_stream.h"

#include <cerrno>
#include <climits>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#endif

namespace {

#ifdef _WIN32
constexpr int sendFlags = 0;
bool WouldBlock(int error) {
    return error == WSAEWOULDBLOCK;
}
bool WasReset(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED;
}
#else
// A peer that has closed must give an error, not SIGPIPE.
constexpr int sendFlags = MSG_NOSIGNAL;
bool WouldBlock(int error) {
    return error == EWOULDBLOCK || error == EAGAIN || error == EINPROGRESS;
}
bool WasReset(int error) {
    return error == ECONNRESET || error == ECONNABORTED;
}
#endif

int ChunkSize(size_t length) {
    return length > INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(length);
}

} // namespace

CSocketStream::~CSocketStream() {
    Close();
}

bool CSocketStream::Create() {
    Close();
    handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET)
        return false;
#ifdef _WIN32
    u_long nonBlocking = 1;
    const bool set = ioctlsocket(handle, FIONBIO, &nonBlocking) == 0;
#else
    const int flags = fcntl(handle, F_GETFL, 0);
    const bool set = flags >= 0 && fcntl(handle, F_SETFL, flags | O_NONBLOCK) == 0;
#endif
    if (!set)
        Close();
    return set;
}

void CSocketStream::Close() {
    if (handle != INVALID_SOCKET)
        CloseSocketHandle(handle);
    handle = INVALID_SOCKET;
}

int CSocketStream::StartConnect(const sockaddr_in& address) {
    if (handle == INVALID_SOCKET)
        return -1;
    if (connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return 1;
    return WouldBlock(LastSocketError()) ? 0 : -1;
}

bool CSocketStream::ConnectSucceeded() {
    int error = 0;
    SocketLength length = sizeof(error);
    return handle != INVALID_SOCKET &&
           getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
           error == 0;
}

int CSocketStream::Read(char* buffer, size_t size) {
    if (handle == INVALID_SOCKET)
        return -1;
    int n;
    do
        n = static_cast<int>(recv(handle, buffer, ChunkSize(size), 0));
    while (n < 0 && LastSocketError() == EINTR);
    if (n < 0) {
        const int error = LastSocketError();
        // A peer that closes with our data unread resets the connection.
        return WouldBlock(error) ? wouldBlock : WasReset(error) ? 0 : -1;
    }
    return n;
}

int CSocketStream::Write(const char* data, size_t length) {
    if (handle == INVALID_SOCKET)
        return -1;
    int n;
    do
        n = static_cast<int>(send(handle, data, ChunkSize(length), sendFlags));
    while (n < 0 && LastSocketError() == EINTR);
    if (n < 0)
        return WouldBlock(LastSocketError()) ? wouldBlock : -1;
    return n > 0 ? n : wouldBlock;
}

int CSocketStream::Wait(bool forWriting, int ms) {
    if (handle == INVALID_SOCKET)
        return -1;
#ifdef _WIN32
    // Winsock's select has no descriptor limit; a failed connect shows in
    // the exception set.
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(handle, &ready);
    FD_SET(handle, &failed);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    const int n = select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                         forWriting ? &failed : nullptr, &limit);
    return n > 0 ? 1 : n;
#else
    pollfd entry{handle, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    int n;
    do
        n = poll(&entry, 1, ms);
    while (n < 0 && errno == EINTR);
    return n > 0 ? 1 : n;
#endif
}

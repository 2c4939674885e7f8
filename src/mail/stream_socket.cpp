#include "mail/stream_socket.h"

#include <climits>
#include <cstring>

CStreamSocket::~CStreamSocket() {
    Close();
}

bool CStreamSocket::Create() {
    Close();
    handle = socket(AF_INET, SOCK_STREAM, 0);
    return handle != INVALID_SOCKET;
}

bool CStreamSocket::Connect(const std::string& host, int port) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<unsigned short>(port));
    if (!ResolveIPv4(host, peer.sin_addr))
        return false;
    return connect(handle, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != SOCKET_ERROR;
}

bool CStreamSocket::Send(const char* data, size_t length) {
    // A blocking send may still take only part of a large buffer.
    while (length > 0) {
        int chunk = static_cast<int>(length < INT_MAX ? length : INT_MAX);
        int sent = send(handle, data, chunk, 0);
        if (sent <= 0) // SOCKET_ERROR is -1
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

int CStreamSocket::Receive(char* buffer, size_t size) {
    int chunk = static_cast<int>(size < INT_MAX ? size : INT_MAX);
    return recv(handle, buffer, chunk, 0);
}

bool CStreamSocket::IsReadable(bool& readable, unsigned waitMs) {
    if (handle == INVALID_SOCKET)
        return false;
#ifndef _WIN32
    if (handle >= FD_SETSIZE) // beyond what an fd_set can hold
        return false;
#endif
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(handle, &readSet);
    timeval wait;
    wait.tv_sec = static_cast<long>(waitMs / 1000);
    wait.tv_usec = static_cast<long>(waitMs % 1000 * 1000);
    int ready = select(static_cast<int>(handle + 1), &readSet, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR)
        return false;
    readable = ready > 0;
    return true;
}

int CStreamSocket::Close() {
    if (handle == INVALID_SOCKET)
        return -1;
    int result = CloseSocketHandle(handle);
    handle = INVALID_SOCKET;
    return result;
}

// A blocking TCP stream socket with time-outs: the transport of the POP3
// session. The socket library must have been started (StartSocketLibrary).
// Every wait is bounded by the time-out given to the call; a negative
// time-out waits without end.
#pragma once

#include "framework/socket_platform.h"

#include <cstddef>
#include <string>

class CBlockingSocket {
  public:
    CBlockingSocket() = default;
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;
    ~CBlockingSocket();

    // Opens an IPv4 stream socket on any local port; false when the platform
    // refuses one. An open socket is closed first.
    bool Create();
    bool IsOpen() const { return handle != INVALID_SOCKET; }

    // Resolves host (name or dotted address; its first IPv4 address) and
    // connects. False when the name does not resolve, the peer refuses, or
    // no connection is made within timeoutMs; the socket stays open but must
    // not be used again for connecting (Create anew).
    bool Connect(const std::string& host, int port, int timeoutMs);

    // Sends all of data; false on a socket error or a closed socket.
    bool Send(const char* data, size_t length);
    bool Send(const std::string& data) { return Send(data.data(), data.size()); }

    // Waits up to timeoutMs for data, then receives once: the count of bytes
    // read (at most size), 0 when the peer has closed, -1 on a socket error,
    // on a closed socket or when the wait timed out (TimedOut() tells which).
    int Receive(char* buffer, size_t size, int timeoutMs);
    bool TimedOut() const { return timedOut; }

    void Close();

  private:
    // 1 ready, 0 timed out, -1 error.
    int WaitReady(bool forWriting, int timeoutMs);
    bool SetBlocking(bool blocking);

    SocketHandle handle = INVALID_SOCKET;
    bool timedOut = false;
};

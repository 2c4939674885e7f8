// A thin blocking TCP socket for the SMTP dialogue. The socket library must
// have been started (StartSocketLibrary).
#pragma once

#include "framework/socket_platform.h"

#include <cstddef>
#include <string>

class CStreamSocket {
  public:
    CStreamSocket() = default;
    CStreamSocket(const CStreamSocket&) = delete;
    CStreamSocket& operator=(const CStreamSocket&) = delete;
    ~CStreamSocket();

    // Opens an IPv4 stream socket (closing any earlier one); false when the
    // platform refuses one.
    bool Create();
    // Resolves host (a dotted IPv4 address is used without any lookup, else
    // the first IPv4 address of the name) and connects, blocking.
    bool Connect(const std::string& host, int port);
    // Sends all of data; false on a socket error.
    bool Send(const char* data, size_t length);
    bool Send(const std::string& data) { return Send(data.data(), data.size()); }
    // One recv: the bytes read, 0 when the peer has closed, -1 on an error.
    int Receive(char* buffer, size_t size);
    // Waits up to waitMs (0: a pure poll) for data or a pending close;
    // false when select fails, else readable tells whether there is either.
    bool IsReadable(bool& readable, unsigned waitMs = 0);
    // -1 when no socket is open, else the result of closing it.
    int Close();

  private:
    SocketHandle handle = INVALID_SOCKET;
};

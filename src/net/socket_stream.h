// The byte streams beneath the mail protocols. CByteStream is what the timed
// transport (socket_transport.h) reads and writes: a non-blocking stream
// that can say when it is ready. CSocketStream is the TCP socket itself; a
// layer such as TLS is another CByteStream built on top of it, so the
// protocol code above the transport never changes shape.
#pragma once

#include "net/socket_platform.h"

#include <cstddef>

class CByteStream {
  public:
    // Read and Write return this when the stream cannot go on without waiting.
    static constexpr int wouldBlock = -2;

    virtual ~CByteStream() = default;

    // Reads what is there, at most size bytes: the count read, 0 when the peer
    // has closed (or reset) the connection, -1 on an error, wouldBlock when
    // nothing is there yet.
    virtual int Read(char* buffer, size_t size) = 0;
    // Writes what the stream takes now of data: the count taken (at least 1),
    // -1 on an error, wouldBlock when it takes nothing yet.
    virtual int Write(const char* data, size_t length) = 0;
    // Waits up to ms for Read (or Write) to have something to do: 1 ready,
    // 0 not within ms, -1 on an error.
    virtual int Wait(bool forWriting, int ms) = 0;
    // Says goodbye at this level before the connection closes (a layer's
    // own closing message), best effort and without waiting.
    virtual void Shutdown() {}
};

// A non-blocking IPv4 TCP socket. The socket library must have been started
// (StartSocketLibrary).
class CSocketStream : public CByteStream {
  public:
    CSocketStream() = default;
    CSocketStream(const CSocketStream&) = delete;
    CSocketStream& operator=(const CSocketStream&) = delete;
    ~CSocketStream() override;

    // Opens a socket (closing an open one); false when the platform refuses.
    bool Create();
    bool IsOpen() const { return handle != INVALID_SOCKET; }
    // Starts connecting to address: 1 connected, 0 under way (Wait for
    // writing, then ConnectSucceeded), -1 failed.
    int StartConnect(const sockaddr_in& address);
    // After a Wait for writing: whether the connection was made.
    bool ConnectSucceeded();
    void Close();

    int Read(char* buffer, size_t size) override;
    int Write(const char* data, size_t length) override;
    int Wait(bool forWriting, int ms) override;

  private:
    SocketHandle handle = INVALID_SOCKET;
};

// The byte stream a protocol session talks through: a TCP connection, or a
// TLS channel over one. Sending is all or nothing; every wait for data is
// bounded by the time-out given to the call.
#pragma once

#include <cstddef>

class CBlockingStream {
  public:
    virtual ~CBlockingStream() = default;

    // Sends all of data; false on an error or a closed stream.
    virtual bool Send(const char* data, size_t length) = 0;

    // Waits up to timeoutMs (a negative time-out waits without end, 0 only
    // polls) for data, then hands out what has arrived: the count of bytes
    // written to buffer (1 to size), 0 when the peer has closed the stream,
    // -1 on an error or when the wait timed out (TimedOut tells which).
    virtual int Receive(char* buffer, size_t size, int timeoutMs) = 0;

    // Whether the last Receive ended by its time-out.
    virtual bool TimedOut() const = 0;
};

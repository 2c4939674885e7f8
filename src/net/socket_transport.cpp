#include "net/socket_transport.h"

#include <algorithm>

bool CSocketTransport::Create() {
    Close();
    UseLayer(nullptr);
    failure = Failure::None;
    return socket.Create();
}

void CSocketTransport::Close() {
    if (connected && layer)
        layer->Shutdown();
    socket.Close();
    connected = false;
}

void CSocketTransport::UseLayer(std::unique_ptr<CByteStream> newLayer) {
    layer = std::move(newLayer);
    tlsChannel = nullptr;
}

bool CSocketTransport::Fail(Failure reason) {
    failure = reason;
    if (reason != Failure::TimedOut) {
        connected = false; // a broken connection gets no goodbye
        Close();
    }
    return false;
}

bool CSocketTransport::FailUnconnected() {
    return Fail(failure == Failure::None ? Failure::NoConnection : failure);
}

bool CSocketTransport::StartTls(const std::string& host, const std::string& trustedFingerprint) {
    if (!connected)
        return FailUnconnected();
    std::unique_ptr<CTlsChannel> channel = CreateTlsChannel(socket);
    const CTlsChannel* made = channel.get();
    const bool secured = channel->Handshake(host, trustedFingerprint, timeouts.receiveMs, stopFlag);
    // A refused channel carries nothing, but keeps why it was refused.
    UseLayer(std::move(channel));
    tlsChannel = made;
    return secured || Fail(StopRequested() ? Failure::Stopped : Failure::Tls);
}

bool CSocketTransport::WaitReady(bool forWriting, int limitMs, Clock::time_point until) {
    const Clock::time_point limit = std::min(until, Clock::now() + std::chrono::milliseconds(limitMs));
    for (;;) {
        if (StopRequested())
            return Fail(Failure::Stopped);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - Clock::now()).count();
        if (left <= 0)
            return Fail(Failure::TimedOut);
        const int ready = Stream().Wait(forWriting, static_cast<int>(std::min<long long>(left, stopSliceMs)));
        if (ready > 0)
            return true;
        if (ready < 0)
            return Fail(Failure::Error);
    }
}

bool CSocketTransport::Connect(const std::string& host, int port) {
    connected = false;
    if (!socket.IsOpen() || port < 0 || port > 65535 || StopRequested())
        return Fail(StopRequested() ? Failure::Stopped : Failure::NoConnection);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    if (!ResolveIPv4(host, address.sin_addr))
        return Fail(Failure::NoConnection);
    int started = socket.StartConnect(address);
    if (started == 0) {
        if (!WaitReady(true, timeouts.connectMs, Clock::time_point::max()))
            return Fail(failure == Failure::Stopped ? Failure::Stopped : Failure::NoConnection);
        started = socket.ConnectSucceeded() ? 1 : -1;
    }
    if (started < 0)
        return Fail(Failure::NoConnection);
    connected = true;
    failure = Failure::None;
    replyTimed = false;
    return true;
}

bool CSocketTransport::Send(const char* data, size_t length) {
    if (!connected)
        return FailUnconnected();
    while (length > 0) {
        if (StopRequested())
            return Fail(Failure::Stopped);
        const int taken = Stream().Write(data, length);
        if (taken == CByteStream::wouldBlock) {
            if (!WaitReady(true, timeouts.sendMs, Clock::time_point::max()))
                return false;
            continue;
        }
        if (taken < 0)
            return Fail(Failure::Error);
        data += taken;
        length -= static_cast<size_t>(taken);
    }
    return true;
}

void CSocketTransport::BeginReply(int totalMs, int bytesPerSecond) {
    replyTimed = true;
    replyStart = Clock::now();
    replyTotalMs = totalMs;
    replyBytesPerSecond = bytesPerSecond;
    replyBytes = 0;
}

size_t CSocketTransport::Receive(char* buffer, size_t size) {
    if (!connected) {
        FailUnconnected();
        return 0;
    }
    for (;;) {
        Clock::time_point until = Clock::time_point::max();
        if (replyTimed) {
            const unsigned long long allowanceMs =
                replyBytesPerSecond > 0 ? replyBytes * 1000 / static_cast<unsigned>(replyBytesPerSecond) : 0;
            until =
                replyStart + std::chrono::milliseconds(replyTotalMs) + std::chrono::milliseconds(allowanceMs);
        }
        if (!WaitReady(false, timeouts.receiveMs, until))
            return 0;
        const int n = Stream().Read(buffer, size);
        if (n == CByteStream::wouldBlock)
            continue; // a layer may need more bytes before it has any to give
        if (n <= 0) {
            Fail(n == 0 ? Failure::Closed : Failure::Error);
            return 0;
        }
        replyBytes += static_cast<unsigned>(n);
        return static_cast<size_t>(n);
    }
}

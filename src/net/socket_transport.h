// The timed transport of the mail protocols (POP3 and SMTP): one TCP
// connection whose every wait is bounded. Connecting, sending and receiving
// each have a time-out; a reply can also be given a total deadline, so a
// server that trickles one byte at a time cannot hold the caller; and a stop
// flag ends any wait within stopSliceMs. A time-out leaves the connection
// open (the caller may still say goodbye, or close it); any other failure
// closes it.
//
// The bytes go through a CByteStream: the socket, or a layer built on it
// and put in place with UseLayer, such as the TLS channel StartTls puts
// there. The protocol code above sees only Send and Receive.
#pragma once

#include "net/socket_stream.h"
#include "net/tls_channel.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

class CSocketTransport {
  public:
    enum class Failure {
        None,
        NoConnection, // no socket, a name that does not resolve, a refused or timed-out connect
        Closed,       // the peer closed the connection
        Error,        // a socket error
        TimedOut,     // silence beyond the time-out, or a reply past its deadline
        Stopped,      // the stop flag was cleared
        Tls,          // TLS could not be started (GetTlsChannel tells why)
    };

    // The longest wait of each kind, in milliseconds.
    struct Timeouts {
        int connectMs = 30000;
        int sendMs = 60000;    // without any byte taken
        int receiveMs = 60000; // without any byte arriving
    };

    static constexpr int stopSliceMs = 250; // how often a wait looks at the stop flag

    CSocketTransport() = default;
    CSocketTransport(const CSocketTransport&) = delete;
    CSocketTransport& operator=(const CSocketTransport&) = delete;

    // Opens a new socket (dropping any connection and layer); false when the
    // platform refuses one.
    bool Create();
    bool HasSocket() const { return socket.IsOpen(); }
    // Resolves host (a dotted IPv4 address without a lookup, else the name's
    // first IPv4 address) and connects within the connect time-out. A
    // failed connect leaves the socket unusable: Create anew to try again.
    bool Connect(const std::string& host, int port);
    // True from a successful Connect until a failure or Close.
    bool IsConnected() const { return connected; }

    // Sends all of data; false on a failure (see GetFailure).
    bool Send(const char* data, size_t length);
    bool Send(const std::string& data) { return Send(data.data(), data.size()); }

    // A reply is awaited: every Receive until the next BeginReply must end
    // within totalMs from now, plus one second for every bytesPerSecond bytes
    // received (0: no allowance), however steadily the bytes come.
    void BeginReply(int totalMs, int bytesPerSecond = 0);
    // Receives once: the count read (at most size), or 0 when the connection
    // has failed (GetFailure tells why).
    size_t Receive(char* buffer, size_t size);

    Failure GetFailure() const { return failure; }
    // Closes the connection; a layer of a connection still in good order
    // says goodbye first.
    void Close();

    void SetTimeouts(const Timeouts& limits) { timeouts = limits; }
    const Timeouts& GetTimeouts() const { return timeouts; }
    // When *running becomes 0, every wait ends and the operation fails with
    // Failure::Stopped. Null: never stopped.
    void SetStopFlag(const std::atomic<int>* running) { stopFlag = running; }

    // The socket, for a layer to be built on.
    CByteStream& GetSocketStream() { return socket; }
    // Sends and receives through layer from now on. The layer is kept until
    // the next Create (or UseLayer), so that what it knows outlives a
    // failure; Close lets it say goodbye first.
    void UseLayer(std::unique_ptr<CByteStream> layer);

    // Puts TLS beneath the protocol on the connected socket: negotiates
    // with host (CTlsChannel::Handshake: certificate, trusted fingerprint)
    // within the receive time-out and the stop flag. False, with the
    // connection closed, when it cannot: a session that asked for TLS never
    // goes on in plain.
    bool StartTls(const std::string& host, const std::string& trustedFingerprint);
    // The channel of the last StartTls, also a refused one, until Create;
    // null before.
    const CTlsChannel* GetTlsChannel() const { return tlsChannel; }

  private:
    using Clock = std::chrono::steady_clock;

    // Waits for the stream to be ready, at most limitMs and never past
    // `until`: true when ready; otherwise the connection fails.
    bool WaitReady(bool forWriting, int limitMs, Clock::time_point until);
    bool StopRequested() const { return stopFlag && stopFlag->load() == 0; }
    bool Fail(Failure reason);
    // Fails a call made without a connection, keeping why it went.
    bool FailUnconnected();
    CByteStream& Stream() { return layer ? *layer : socket; }

    CSocketStream socket;
    std::unique_ptr<CByteStream> layer;
    const CTlsChannel* tlsChannel = nullptr; // the layer, when StartTls made it
    bool connected = false;
    Failure failure = Failure::None;
    Timeouts timeouts;
    const std::atomic<int>* stopFlag = nullptr;
    // The reply under way: its deadline grows with the bytes received.
    bool replyTimed = false;
    Clock::time_point replyStart;
    int replyTotalMs = 0;
    int replyBytesPerSecond = 0;
    unsigned long long replyBytes = 0;
};

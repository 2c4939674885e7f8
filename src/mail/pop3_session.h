// The POP3 client: one session talks to one account over one TCP connection.
// It logs in (USER, PASS), reads the message count (STAT), fetches a message
// whole (RETR) or its header (TOP), deletes (DELE) and logs out (QUIT).
// Every fetched reply is written to "mail.tmp" in the temporary-files
// directory, its header fields are extracted (ParseHeaders), and it is
// copied into the .eml store; the accessors then describe that message.
//
// Operations return true on success. On failure GetFailure() tells what
// happened (and GetServerReply() what the server said, when it refused);
// success does not clear it. All calls block, but every wait is bounded:
// the silence allowed (60 s unless set), a deadline for each reply (120 s,
// and for a message one more second for every 2 KB received), and the stop
// flag. After a time-out, a close or a socket error, a stop, or a message
// over the limit, the connection is closed (IsConnected turns false): the
// conversation cannot go on and every later operation fails.
#pragma once

#include "base/calendar_time.h"
#include "net/socket_transport.h"
#include "mail/connection_security.h"
#include "mail/mail_header.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What ended the latest failed operation.
enum class Pop3Failure {
    None,
    NoConnection,    // no connection after the tries
    StlsRefused,     // "-ERR" to STLS
    Tls,             // TLS asked for could not start (GetTlsFailure)
    GreetingRefused, // "-ERR" greeting (login goes on)
    UserRefused,     // "-ERR" to USER
    PassRefused,     // "-ERR" to PASS
    StatRefused,     // "-ERR" to STAT, or no count in its answer
    DeleRefused,     // "-ERR" to DELE
    TopRefused,      // "-ERR" to TOP
    RetrRefused,     // "-ERR" to RETR
    UidlRefused,     // "-ERR" to UIDL
    QuitRefused,     // "-ERR" to QUIT
    TimedOut,        // no answer within the time-out or deadline
    Closed,          // closed while a reply was awaited
    Stopped,         // the stop flag ended a wait
    BadCredential,   // CR, LF or NUL in the user id or password
    ReadError,       // socket error in a message
    TooLarge,        // reply longer than the limit (128 MB)
    StoreFile,       // the store file not writable
    BadDate,         // a date that does not convert (CHeaderReader)
};

class CPop3Session {
  public:
    static constexpr int replyBufferSize = 16384;
    static constexpr int defaultTimeoutMs = 60000;
    static constexpr int defaultReplyDeadlineMs = 120000;
    // A message may take one more second for every this many bytes.
    static constexpr int minimumBytesPerSecond = 2048;
    // The largest message count STAT accepts: more than any real mailbox
    // keeps, few enough that a walk over the messages ends.
    static constexpr int maxMessageCount = 100000;
    static constexpr std::uint64_t defaultMessageLimit = 128u << 20;

    // Creates the socket. When that fails the session is built all the same,
    // HasSocket() is false and its operations fail.
    CPop3Session();
    virtual ~CPop3Session();
    CPop3Session(const CPop3Session&) = delete;
    CPop3Session& operator=(const CPop3Session&) = delete;

    // How Connect protects the connection, and the SHA-256 fingerprint of
    // a certificate the user trusts although Windows does not (empty: none).
    // Plain unless set.
    void SetSecurity(ConnectionSecurity mode, const std::string& trustedFingerprint);
    // Connects (up to retryCount tries) and reads the greeting; with TLS on
    // connect, TLS comes first; with STLS, "STLS" follows the greeting and
    // TLS its "+OK". When TLS was asked for and does not start, nothing
    // more is sent and the connection is closed. A "-ERR" greeting only
    // leaves its text.
    bool Connect(const std::string& host, int port);
    // Connect, then "USER %s" and "PASS %s": true when both are answered
    // "+OK". A user id or password holding CR, LF or NUL is refused before
    // anything is sent.
    bool Login(const std::string& host, const std::string& user, const std::string& password, int port);
    // "STAT ": true when the reply is "+OK" with a count after its first
    // blank or tab; the count is capped at maxMessageCount. Otherwise false,
    // and the count stays as it was.
    bool Stat();
    // "TOP %d %d" / "RETR %d": fetches, extracts and stores; tried up to
    // retryCount times while the transfer fails or the header gives no
    // sender address. True when the message was read and its header was
    // complete (To, From with an address, a converted date).
    bool Top(int number, int lines);
    bool Retrieve(int number);
    // "UIDL": the unique id of every message, ids[n - 1] for message n.
    // False, with ids empty, when refused or when the listing does not give
    // each message from 1 to the count one id of its own (ParseUniqueIdLine).
    bool ListUniqueIds(std::vector<std::string>& ids);
    // "UIDL %d": the unique id of one message; false when refused or malformed.
    bool GetUniqueId(int number, std::string& id);
    bool Delete(int number);
    // "QUIT ": closes the connection unless the server refused.
    bool Quit();

    bool HasSocket() const { return socketCreated; }
    // False before Login, after Quit and once the connection is gone
    // (closed by the server, a socket error, a time-out, a message over the
    // limit, a stop); GetFailure() then tells why.
    bool IsConnected() const { return transport.IsConnected(); }
    // When *running becomes 0, a blocked connect, send or receive ends
    // within about a second and the operation fails (Stopped). Null: never
    // stopped.
    void SetStopFlag(const std::atomic<int>* running) { transport.SetStopFlag(running); }

    // After Connect or Login failed for TLS: why (None otherwise), the TLS
    // channel's account of it, and the server certificate's fingerprint
    // when it showed one.
    TlsFailure GetTlsFailure() const;
    TlsError GetTlsError() const;
    std::string GetCertificateFingerprint() const;

    int GetMessageCount() const { return messageCount; }
    std::string GetTo() const { return header.to; }
    std::string GetCc() const { return header.cc; }
    std::string GetSenderName() const { return header.senderName; }
    std::string GetSenderAddress() const { return header.senderAddress; }
    std::string GetSubject() const { return header.subject; }
    std::string GetDateText() const { return header.dateText; }
    std::string GetStoreFile() const { return header.storeFile; }
    CCalendarTime GetMailTime() const { return header.mailTime; }
    Pop3Failure GetFailure() const { return failure; }
    // The server's refusal line, without its line end; "" when it gave none.
    const std::string& GetServerReply() const { return serverReply; }
    // The number of the message whose header the fields describe: set when a
    // TOP or RETR of it was read and its header extracted, even if the header
    // was incomplete; 0 before that. A transfer that failed earlier leaves it.
    int GetHeaderNumber() const { return headerNumber; }
    const HeaderFields& GetHeaderFields() const { return header; }
    // Describes message `number` by the fields an earlier fetch of it gave
    // (its store file still there), as if it had just been retrieved.
    void UseKnownHeader(int number, const HeaderFields& fields) {
        header = fields;
        headerNumber = number;
    }

    // The longest silence of the server (connecting, sending, each read).
    void SetTimeout(int milliseconds);
    // The longest a reply may take, however steadily its bytes trickle in;
    // a message gets one more second for every minimumBytesPerSecond bytes.
    void SetReplyDeadline(int milliseconds) { replyDeadlineMs = milliseconds; }
    // The longest reply accepted for one message (status line included).
    void SetMessageLimit(std::uint64_t bytes) { messageLimit = bytes; }

  private:
    enum class ReplyKind { Greeting, Stls, User, Pass, Quit, Dele, Stat, Top, Retr, Uidl };
    enum class Transfer {
        Failed,           // the reply was refused, cut short or not stored
        HeaderIncomplete, // read and stored, but the header lacks a field
        Complete,
    };

    // The failure of a "-ERR" answer to a command of this kind.
    static Pop3Failure Refusal(ReplyKind kind);
    bool SendCommand(const std::string& line);
    // Reads a one-line reply; true for "+OK". `line` gets the line read.
    bool ReadStatusLine(ReplyKind kind, std::string* line = nullptr);
    // Reads a multi-line reply to its end, handing its text on as it comes.
    bool ReadMultiLine(ReplyKind kind, const std::function<void(const std::string&)>& take);
    Transfer ReadMessage(ReplyKind kind);
    bool Fetch(ReplyKind kind, int number, const std::string& command);
    // One chunk into buffer: from what an earlier read left over, else
    // from the socket; 0 when the connection has failed.
    size_t ReceiveChunk();
    // TLS beneath the conversation, or the connection closed with the reason.
    bool StartTls(const std::string& host);
    // Ends a conversation that cannot go on, with the reason.
    void DropConnection(Pop3Failure reason);
    // The reason for a failure of the transport.
    Pop3Failure TransportFailure() const;

    CSocketTransport transport;
    bool socketCreated = false;
    ConnectionSecurity security = ConnectionSecurity::None;
    std::string trustedFingerprint;
    std::vector<char> buffer = std::vector<char>(replyBufferSize); // one receive
    std::string pending;                                           // bytes received beyond the last reply
    Pop3Failure failure = Pop3Failure::None;
    std::string serverReply;
    int messageCount = 0;
    HeaderFields header;
    int fetchNumber = 0;  // the message of the TOP or RETR under way
    int headerNumber = 0; // the message the header fields describe
    int retryCount = 3;
    int replyDeadlineMs = defaultReplyDeadlineMs;
    std::uint64_t messageLimit = defaultMessageLimit;
};

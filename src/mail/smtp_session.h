// The client side of SMTP (RFC 5321): HELO, one message, QUIT. Asked for,
// the connection is protected by TLS from the first byte or after STARTTLS
// (RFC 3207), and the session logs in with AUTH PLAIN or LOGIN (RFC 4954)
// after EHLO; without either it speaks plain SMTP without extensions, as it
// always did. Every step blocks, but never for long: connecting and
// sending give up after connectTimeoutMs and sendTimeoutMs, a reply after
// timeoutMs of silence or replyDeadlineMs in all, and any wait ends early
// once the stop flag is cleared.
//
// Operations answer true or false. On a false, GetError tells why: the
// server's refusing reply (its lines joined by CR LF, without the final line
// break) or what arrived before a time-out or a closed connection; a sender
// or recipient address with a line break in it, refused unsent; TLS that did
// not start, with the channel's reason; a login the session would not
// attempt. A failed socket write leaves it as it was.
#pragma once

#include "net/socket_transport.h"
#include "net/tls_channel.h"
#include "mail/connection_security.h"
#include "mail/outgoing_mail.h"

#include <atomic>
#include <memory>
#include <string>

enum class SmtpFailure {
    None,
    Reply,       // the server refused, fell silent or hung up (reply)
    Tls,         // TLS asked for did not start (tls)
    NoMechanism, // the server offers no login we make (PLAIN, LOGIN)
    BadAddress,  // an address that could end its command line (address)
};

// Why a session failed; the user's words for it are chosen above.
struct SmtpError {
    SmtpFailure failure = SmtpFailure::None;
    // The refusing reply, or what arrived before the server fell silent or
    // hung up; may be empty.
    std::string reply;
    std::string address; // up to its first line break
    TlsError tls;
};

class CSmtpSession {
  public:
    CSmtpSession() = default;
    CSmtpSession(const CSmtpSession&) = delete;
    CSmtpSession& operator=(const CSmtpSession&) = delete;
    // Closes the session (QUIT) when it is still connected.
    virtual ~CSmtpSession();

    // Before Open: how to protect the connection, and the SHA-256
    // fingerprint of a certificate the user trusts although Windows does
    // not (empty: none). Plain unless set.
    void SetSecurity(ConnectionSecurity mode, const std::string& trustedFingerprint);
    // Before Open: log in as user with password (empty user: no login).
    // Over plain SMTP only when the security chosen is None; with TLS asked
    // for, the password goes nowhere before TLS is up.
    void SetLogin(const std::string& user, const std::string& password);

    // Connects to host (dotted IPv4 address or name) and port, awaits the 220
    // greeting and says HELO with the local host name; with TLS or a login
    // asked for, EHLO, then STARTTLS (TLS and EHLO again) and AUTH as set.
    // TLS asked for that does not start ends the session: nothing more is
    // sent in plain. After a failure once connected it sends QUIT itself
    // where it still can; the session is then closed.
    bool Open(const std::string& host, int port);
    // MAIL FROM with the sender's bare address, RCPT TO for every To, Cc and
    // Bcc recipient in this order, DATA, the header block, the body and the
    // attachments as MIME parts, then the end-of-data mark. Stops at the first
    // refusal; the connection stays open either way.
    bool Transmit(const COutgoingMail& message);
    // Sends QUIT and closes the socket; true only when QUIT was acknowledged
    // with 221. Nothing is sent when the session is not connected.
    bool Close();
    const SmtpError& GetError() const { return error; }
    // The server's text of the latest failure (SmtpError::reply).
    std::string GetLastReply() const { return error.reply; }
    // After Open failed for TLS: why (None otherwise), and the server
    // certificate's fingerprint when it showed one.
    TlsFailure GetTlsFailure() const;
    std::string GetCertificateFingerprint() const;
    // When *running becomes 0, a blocked connect, send or reply wait ends
    // within about a second and the step fails. Null: never stopped.
    void SetStopFlag(const std::atomic<int>* running) { transport.SetStopFlag(running); }

    // Reads one reply and compares its code (the code of its last line).
    virtual bool ExpectReply(int expectedCode);

  protected:
    // Reads one reply, a line ending in terminator (plus any continuation
    // lines before it, whose fourth character is "-"). Starts in the caller's
    // buffer of bufferSize bytes and moves to a heap buffer, growBy bytes
    // larger each time, kept in heapBuffer for the caller (both sizes > 0).
    // Fails after timeoutMs without a byte or replyDeadlineMs in all, when
    // the peer closes, on a socket error, on a stop or when a reply exceeds
    // maxReplySize. Bytes after the reply are kept for the next one.
    virtual bool ReceiveUntil(char* buffer, size_t bufferSize, const char* terminator, int expectedCode,
                              std::unique_ptr<char[]>& heapBuffer, size_t growBy);
    // Sends one RCPT TO and expects 250.
    bool AddressRecipient(const std::string& address);

    static constexpr size_t maxReplySize = 65536;
    static constexpr int connectTimeoutMs = 30000;
    static constexpr int sendTimeoutMs = 30000; // without a byte taken

    CSocketTransport transport;
    int connected = 0;
    SmtpError error;
    unsigned timeoutMs = 10000;  // silence allowed while a reply is awaited
    int replyDeadlineMs = 30000; // the longest one reply may take
    int lastReplyCode = 0;

  private:
    // Sends a command that carries an address; refuses an address that could
    // end the command line early.
    bool SendAddressCommand(const char* prefix, const std::string& address);
    // The greeting and the hello of Open, as the security and login ask.
    bool Greet(const std::string& host);
    bool Ehlo();
    bool StartTls(const std::string& host);
    bool Authenticate();
    // Records why an operation failed, forgetting the reason before; false.
    bool Fail(SmtpFailure failure);
    std::string pendingInput; // bytes received after the last reply
    std::string replyText;    // the last reply read, without its final line break
    ConnectionSecurity security = ConnectionSecurity::None;
    std::string trustedFingerprint;
    std::string loginUser;
    std::string loginPassword;
};

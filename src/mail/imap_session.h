// The IMAP client (IMAP4rev1): one session talks to one account's INBOX
// over one TCP connection. It connects (plain, TLS from the first byte, or
// STARTTLS) and logs in (LOGIN, or AUTHENTICATE PLAIN where LOGIN is
// disabled), opens INBOX, finds the unseen mails above a UID mark, fetches
// their headers or one mail whole (never marking anything \Seen), deletes
// one mail, waits in IDLE for changes and logs out.
//
// Operations return true on success. On failure GetResult() tells why and
// GetServerText() holds the server's own words where it gave any (a NO or
// BAD answer, a BYE); the caller words the message. All calls block, but
// every wait is bounded like the POP3 session's: the silence allowed (60 s
// unless set), a deadline for each command's answer (120 s, and one more
// second for every 2 KB received), size limits on what is read, and the stop
// flag, seen every 250 ms. After a failure of the connection itself (time-out,
// close, stop, a response over a limit or not understood, BYE) the
// connection is closed and every later operation fails.
#pragma once

#include "base/calendar_time.h"
#include "mail/connection_security.h"
#include "mail/imap_command.h"
#include "mail/imap_response.h"
#include "mail/mail_header.h"
#include "net/socket_transport.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

enum class ImapResult {
    Ok,
    NoConnection,       // no connection after the tries
    TimedOut,           // no answer within the time-out or deadline
    Closed,             // the server closed the connection
    SocketError,        // the connection failed
    Stopped,            // the stop flag ended a wait
    Tls,                // TLS asked for could not start (GetTlsFailure tells why)
    StartTlsRefused,    // STARTTLS answered NO or BAD
    Bye,                // the server said BYE (its text)
    BadCredential,      // CR, LF or NUL in the user id or password
    NoLoginMethod,      // LOGIN disabled and no AUTHENTICATE PLAIN offered
    LoginRefused,       // LOGIN or AUTHENTICATE answered NO or BAD (its text)
    Refused,            // another command answered NO or BAD (its text)
    TooLarge,           // a line, literal or response beyond its limit
    Malformed,          // a response that is not IMAP
    StoreFailed,        // the mail could not be written to the store
    NoSuchMail,         // no mail with that UID in the mailbox
    MarkedOnly,         // Delete: marked \Deleted, left for the server (no UIDPLUS)
    NoIdle,             // the server offers no IDLE
    UidValidityChanged, // the mailbox's UIDVALIDITY changed while open: UIDs mean other mails
};

// One unseen mail as listed: its UID, arrival time, size and header fields
// (the header stored as a header-only file of the .eml store).
struct ImapMailSummary {
    std::uint32_t uid = 0;
    CCalendarTime arrival = CCalendarTime::Invalid(); // INTERNALDATE
    std::uint64_t size = 0;                           // RFC822.SIZE
    HeaderFields header;
    bool headerComplete = false; // the header gave To, a sender address and a date
};

// What an IDLE wait heard.
struct ImapChanges {
    bool newMail = false;     // EXISTS: mail arrived
    bool mailChanged = false; // EXPUNGE, or flags changed (read or deleted elsewhere)
};

class CImapSession {
  public:
    static constexpr int defaultTimeoutMs = 60000;
    static constexpr int defaultResponseDeadlineMs = 120000;
    static constexpr int minimumBytesPerSecond = 2048;
    // IDLE is renewed well before the 29 minutes after which a server may
    // drop an idle client (RFC 2177).
    static constexpr int defaultIdleRenewalMs = 25 * 60 * 1000;

    CImapSession();
    CImapSession(const CImapSession&) = delete;
    CImapSession& operator=(const CImapSession&) = delete;

    // How Connect protects the connection, and the SHA-256 fingerprint of a
    // certificate the user trusts although Windows does not. Plain unless set.
    void SetSecurity(ConnectionSecurity mode, const std::string& trustedFingerprint);
    // Connects (up to three tries), takes TLS first when asked, reads the
    // greeting and the capabilities; with STARTTLS, "STARTTLS" follows and
    // the capabilities are asked for again under TLS. When TLS was asked
    // for and does not start, nothing more is sent.
    bool Connect(const std::string& host, int port);
    // Connect, then LOGIN with the user id and password as strings, or
    // AUTHENTICATE PLAIN where the server has LOGINDISABLED. Either refused
    // before anything is sent when it holds CR, LF or NUL. A PREAUTH
    // greeting needs no login.
    bool Login(const std::string& host, const std::string& user, const std::string& password, int port);

    // EXAMINE INBOX (read-only: checking changes nothing), or SELECT INBOX
    // for deleting. Sets the UIDVALIDITY and the message count.
    bool OpenInbox(bool forWriting);
    // "UID SEARCH UNSEEN UNDELETED UID mark+1:*": the unseen mails above the
    // mark that nobody marked for deletion, in
    // ascending order.
    bool SearchUnseen(std::uint32_t mark, std::vector<std::uint32_t>& uids);
    // Their UID, INTERNALDATE, RFC822.SIZE and header (BODY.PEEK[HEADER]),
    // in ascending UID order; a UID the server no longer has is left out.
    bool FetchSummaries(const std::vector<std::uint32_t>& uids, std::vector<ImapMailSummary>& mails);
    // One mail whole (BODY.PEEK[]) into the .eml store: GetHeaderFields then
    // describes it. NoSuchMail when the UID is gone.
    bool FetchMail(std::uint32_t uid);
    // Marks the mail \Deleted and, where the server has UIDPLUS, expunges
    // that UID alone. Without UIDPLUS nothing else is expunged: the result
    // is true with GetResult() MarkedOnly. Needs OpenInbox(true).
    bool Delete(std::uint32_t uid);
    // IDLE until the mailbox changes (true, changes set), renewing it every
    // idle renewal, then DONE. A change the server told since the mailbox
    // was opened, last searched or last reported here returns at once.
    // NoIdle without IDLE among the capabilities. A stop ends the wait
    // within a quarter of a second: DONE and LOGOUT go out while the server
    // still answers (briefly), and the connection is closed.
    bool Idle(ImapChanges& changes);
    // LOGOUT, then the connection is closed whatever the answer.
    bool Logout();

    bool HasSocket() const { return socketCreated; }
    bool IsConnected() const { return transport.IsConnected(); }
    void SetStopFlag(const std::atomic<int>* running);

    ImapResult GetResult() const { return result; }
    const std::string& GetServerText() const { return serverText; }
    // The capabilities in upper case ("IMAP4REV1", "IDLE", "AUTH=PLAIN").
    bool HasCapability(const char* name) const { return capabilities.count(name) > 0; }
    TlsFailure GetTlsFailure() const { return GetTlsError().failure; }
    TlsError GetTlsError() const;
    std::string GetCertificateFingerprint() const;

    std::uint32_t GetUidValidity() const { return uidValidity; }
    std::uint32_t GetMessageCount() const { return messageCount; }
    const HeaderFields& GetHeaderFields() const { return header; }

    void SetTimeout(int milliseconds);
    void SetResponseDeadline(int milliseconds) { responseDeadlineMs = milliseconds; }
    void SetIdleRenewal(int milliseconds) { idleRenewalMs = milliseconds; }
    void SetLimits(const CImapReader::Limits& limits) { reader.SetLimits(limits); }

  private:
    // Sends a command and reads to its tagged answer, handing each untagged
    // response to `take`. True for OK; otherwise the result is `refusal`
    // (NO or BAD) or the failure of the connection.
    bool Run(const CImapCommand& command, ImapResult refusal,
             const std::function<void(const ImapResponse&)>& take = nullptr);
    bool Send(const std::string& bytes);
    // Reads responses within one deadline up to one that is not untagged.
    bool ReadPastUntagged(ImapResponse& response);
    // Reads one response (within the deadline the caller began); notes what every untagged response tells
    // (BYE, capabilities, EXISTS, UIDVALIDITY). False when the connection failed.
    bool ReadResponse(ImapResponse& response);
    void NoteCapabilities(const std::string& list);
    bool AskCapabilities();
    bool StartTls(const std::string& host);
    // "UID SEARCH criteria": the UIDs found, ascending.
    bool Search(const std::string& criteria, std::vector<std::uint32_t>& uids);
    bool Authenticate(const std::string& user, const std::string& password);
    enum class IdleWait { Bytes, Renewal, Stopped, Failed };
    // Waits for bytes until `until`, looking at the stop flag every slice.
    IdleWait AwaitIdleBytes(std::chrono::steady_clock::time_point until);
    // Ends IDLE ("DONE") and reads to its tagged answer.
    bool EndIdle(const std::string& tag);
    // After a stop: DONE and LOGOUT while the server still answers, briefly; then closed.
    void LeaveAfterStop();
    bool Fail(ImapResult reason, const std::string& text = std::string());
    // Ends a conversation that cannot go on.
    bool Drop(ImapResult reason, const std::string& text = std::string());
    // Ends a conversation whose connection failed, with the server's BYE when it said one.
    bool DropLost();
    ImapResult TransportResult() const;
    // False, with UidValidityChanged, once the UIDVALIDITY changed while the mailbox was open.
    bool UidsStillValid();
    std::string NextTag();

    CSocketTransport transport;
    CImapReader reader;
    bool socketCreated = false;
    ConnectionSecurity security = ConnectionSecurity::None;
    std::string trustedFingerprint;
    const std::atomic<int>* stopFlag = nullptr;
    std::set<std::string> capabilities;
    bool preauthenticated = false;
    ImapResult result = ImapResult::Ok;
    std::string serverText;
    int tagNumber = 0;
    std::uint32_t uidValidity = 0;
    bool uidValidityChanged = false;
    std::string byeText; // the text of a BYE, which the server closes after
    ImapChanges heard;   // changes told since the mailbox was opened or searched, or IDLE last reported
    std::uint32_t messageCount = 0;
    HeaderFields header;
    int responseDeadlineMs = defaultResponseDeadlineMs;
    int idleRenewalMs = defaultIdleRenewalMs;
};

// The POP3 client: one session talks to one account over one TCP connection.
// It logs in (USER, PASS), reads the message count (STAT), fetches a message
// whole (RETR) or its header (TOP), deletes (DELE) and logs out (QUIT).
// Every fetched reply is written to "mail.tmp" in the temporary-files
// directory, its header fields are extracted (ParseHeaders), and it is
// copied into the .eml store; the accessors then describe that message.
//
// Operations return true on success. On failure GetErrorText() tells why, in
// the words the user is shown; success does not clear it. All calls block,
// each wait for the server bounded by the time-out (60 s unless set).
//
// Error texts:
//   "POP3 서버에 연결할 수 없습니다."            no connection after the tries
//   "연결 확인을 실패했습니다."                  "-ERR" greeting (login goes on)
//   "사용자 ID가 없습니다."                      "-ERR" to USER
//   "사용자 패스워드가 잘못 입력되었습니다."     "-ERR" to PASS
//   "STAT 명령어 실행중에 에러가 발생했습니다."  "-ERR" to STAT
//   "DELE 명령어 실행중에 에러가 발생했습니다."  "-ERR" to DELE
//   "TOP 명령어 실행중에 에러가 발생했습니다."   "-ERR" to TOP
//   "RETR 명령어 실행중에 에러가 발생했습니다."  "-ERR" to RETR
//   "POP3 서버 연결을 실패했습니다."             "-ERR" to QUIT
//   "POP3 서버가 응답하지 않습니다."             no answer within the time-out
//   "POP3 서버가 연결을 끊었습니다."             closed in the middle of a message
//   "소켓으로 부터 읽는 중 에러가 발생했습니다." socket error in a message
//   "메일이 너무 커서 받을 수 없습니다."         reply longer than the limit (128 MB)
//   "임시 파일 생성 에러!"                       "mail.tmp" not writable
//   plus the texts of ParseHeaders.
// After a time-out, a close or a socket error in a reply, or a message over
// the limit, the connection is closed: the conversation cannot go on.
#pragma once

#include "framework/calendar_time.h"
#include "framework/socket_stream.h"
#include "mail/mail_header.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CPop3Session {
  public:
    static constexpr int replyBufferSize = 16384;
    static constexpr int defaultTimeoutMs = 60000;
    static constexpr std::uint64_t defaultMessageLimit = 128u << 20;
    static constexpr const char* tempFileName = "mail.tmp";

    // What the caller shows when the socket cannot be created (HasSocket).
    static constexpr const char* socketErrorText = "소켓을 생성 할 수 없습니다!";
    static constexpr const char* socketErrorCaption = "치명적 오류";
    // The most messages a STAT count gives.
    static constexpr int maxMessageCount = 100000;

    // Creates the socket. If that fails, the session is built all the same
    // and its operations fail.
    CPop3Session();
    virtual ~CPop3Session();
    CPop3Session(const CPop3Session&) = delete;
    CPop3Session& operator=(const CPop3Session&) = delete;

    // Connects (up to retryCount tries), reads the greeting and sends
    // "USER %s" and "PASS %s". A "-ERR" greeting only leaves its text; the
    // login succeeds when USER and PASS are not refused.
    bool Login(const std::string& host, const std::string& user, const std::string& password, int port);
    // "STAT ": sets the message count from the number after the reply's
    // first blank or tab (a reply without one leaves the count).
    bool Stat();
    // "TOP %d %d" / "RETR %d": fetches, extracts and stores; tried up to
    // retryCount times until the header gives a sender address. True when
    // the last try read the message and its header was complete (To, From
    // with an address, a converted date).
    bool Top(int number, int lines);
    bool Retrieve(int number);
    bool Delete(int number);
    // "QUIT ": closes the connection unless the server refused.
    bool Quit();

    // False when the socket could not be created.
    bool HasSocket() const { return socketCreated; }
    // False once the connection is gone (closed, socket error, time-out,
    // over the limit, stopped); GetErrorText tells why.
    bool IsConnected() const { return socket.IsOpen(); }
    // When *running becomes 0, a blocked wait returns within about a second
    // and the operation fails.
    void SetStopFlag(const std::atomic<int>* running) { stopFlag = running; }

    int GetMessageCount() const { return messageCount; }
    std::string GetTo() const { return header.to; }
    std::string GetCc() const { return header.cc; }
    std::string GetSenderName() const { return header.senderName; }
    std::string GetSenderAddress() const { return header.senderAddress; }
    std::string GetSubject() const { return header.subject; }
    std::string GetDateText() const { return header.dateText; }
    std::string GetStoreFile() const { return header.storeFile; }
    CCalendarTime GetMailTime() const { return header.mailTime; }
    std::string GetErrorText() const { return errorText; }
    // The number of the message whose header the fields describe: set when a
    // TOP or RETR of it was read and its header extracted, even if the header
    // was incomplete; 0 before that. A transfer that failed earlier leaves it.
    int GetHeaderNumber() const { return headerNumber; }

    // The longest wait for the server (connecting, each read); negative
    // waits for ever.
    void SetTimeout(int milliseconds) { timeoutMs = milliseconds; }
    // The longest reply accepted for one message (status line included).
    void SetMessageLimit(std::uint64_t bytes) { messageLimit = bytes; }

  private:
    enum class ReplyKind { Greeting, User, Pass, Quit, Dele, Stat, Top, Retr };

    // The error text of a "-ERR" answer to a command of this kind.
    static const char* RefusalText(ReplyKind kind);
    bool SendCommand(const std::string& line);
    bool ReadReply(ReplyKind kind);
    bool ReadStatusLine(ReplyKind kind);
    bool ReadMessage(ReplyKind kind);
    bool Fetch(ReplyKind kind, int number, const std::string& command);
    // One chunk into buffer: from what an earlier read left over, else
    // from the socket.
    int ReceiveChunk();
    // One receive from the socket, in short waits that watch the stop flag.
    int ReceiveFromSocket();
    // Ends a conversation that cannot go on, with the reason.
    void DropConnection(const char* reason);

    CBlockingSocket socket;
    bool socketCreated = false;
    std::vector<char> buffer = std::vector<char>(replyBufferSize); // one receive
    std::string pending;                                           // bytes received beyond the last reply
    std::string errorText;
    int messageCount = 0;
    HeaderFields header;
    int fetchNumber = 0;  // the message of the TOP or RETR under way
    int headerNumber = 0; // the message the header fields describe
    int retryCount = 3;
    int timeoutMs = defaultTimeoutMs;
    std::uint64_t messageLimit = defaultMessageLimit;
    const std::atomic<int>* stopFlag = nullptr;
};

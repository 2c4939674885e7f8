#include "mail/pop3_session.h"

#include "mail/ascii_text.h"
#include "mail/mail_store.h"
#include "mail/pop3_reply.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include <algorithm>

namespace {

const char* const connectFailedText = "POP3 서버에 연결할 수 없습니다.";
const char* const timedOutText = "POP3 서버가 응답하지 않습니다.";
const char* const closedText = "POP3 서버가 연결을 끊었습니다.";
const char* const readErrorText = "소켓으로 부터 읽는 중 에러가 발생했습니다.";
const char* const tooLargeText = "메일이 너무 커서 받을 수 없습니다.";
const char* const tempFileText = "임시 파일 생성 에러!";

// The message text of a reply, written to mail.tmp. When the file cannot be
// created or written, the reply is still read to its end (so that the
// conversation stays in step) and only Finish reports the failure.
class CReplyFile {
  public:
    explicit CReplyFile(std::string path) : path(std::move(path)) {}
    ~CReplyFile() {
        if (file)
            std::fclose(file); // an unfinished reply's file stays where it is
    }
    CReplyFile(const CReplyFile&) = delete;
    CReplyFile& operator=(const CReplyFile&) = delete;

    // Creates the file at the first call (an empty message gives an empty file).
    void Write(const std::string& text) {
        if (!file && !failed) {
            file = std::fopen(path.c_str(), "wb");
            failed = !file;
        }
        if (file && !text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size())
            failed = true;
    }
    // Closes the file; false when anything could not be written.
    bool Finish() {
        if (file && std::fclose(file) != 0)
            failed = true;
        file = nullptr;
        return !failed;
    }

  private:
    const std::string path;
    std::FILE* file = nullptr;
    bool failed = false;
};

} // namespace

CPop3Session::CPop3Session() {
    socketCreated = socket.Create();
}

CPop3Session::~CPop3Session() = default;

bool CPop3Session::Login(const std::string& host, const std::string& user, const std::string& password,
                         int port) {
    bool connected = false;
    if (socketCreated) {
        for (int attempt = 0; attempt < retryCount && !connected; ++attempt) {
            // A socket whose connect failed cannot connect again: take a new one.
            if (attempt > 0 && !socket.Create())
                break;
            connected = socket.Connect(host, port, timeoutMs);
        }
    }
    if (!connected) {
        errorText = connectFailedText;
        return false;
    }
    pending.clear();
    ReadReply(ReplyKind::Greeting); // a "-ERR" greeting only leaves its text
    if (!socket.IsOpen())
        return false; // no greeting within the time-out
    SendCommand("USER " + user + "\r\n");
    if (!ReadReply(ReplyKind::User))
        return false;
    SendCommand("PASS " + password + "\r\n");
    return ReadReply(ReplyKind::Pass);
}

bool CPop3Session::Stat() {
    SendCommand("STAT \r\n");
    return ReadReply(ReplyKind::Stat);
}

bool CPop3Session::Top(int number, int lines) {
    return Fetch(ReplyKind::Top, number,
                 "TOP " + std::to_string(number) + " " + std::to_string(lines) + "\r\n");
}

bool CPop3Session::Retrieve(int number) {
    return Fetch(ReplyKind::Retr, number, "RETR " + std::to_string(number) + "\r\n");
}

bool CPop3Session::Delete(int number) {
    SendCommand("DELE " + std::to_string(number) + "\r\n");
    return ReadReply(ReplyKind::Dele);
}

bool CPop3Session::Quit() {
    SendCommand("QUIT \r\n");
    if (!ReadReply(ReplyKind::Quit))
        return false; // refused: the connection stays open until destruction
    socket.Close();
    return true;
}

bool CPop3Session::SendCommand(const std::string& line) {
    return socket.Send(line);
}

bool CPop3Session::Fetch(ReplyKind kind, int number, const std::string& command) {
    fetchNumber = number;
    for (int attempt = 0; attempt < retryCount; ++attempt) {
        SendCommand(command);
        if (ReadReply(kind) && !header.senderAddress.empty())
            return true;
        if (!socket.IsOpen())
            break; // the connection is gone: another try cannot succeed
    }
    return false;
}

const char* CPop3Session::RefusalText(ReplyKind kind) {
    switch (kind) {
    case ReplyKind::Greeting:
        return "연결 확인을 실패했습니다.";
    case ReplyKind::User:
        return "사용자 ID가 없습니다.";
    case ReplyKind::Pass:
        return "사용자 패스워드가 잘못 입력되었습니다.";
    case ReplyKind::Quit:
        return "POP3 서버 연결을 실패했습니다.";
    case ReplyKind::Dele:
        return "DELE 명령어 실행중에 에러가 발생했습니다.";
    case ReplyKind::Stat:
        return "STAT 명령어 실행중에 에러가 발생했습니다.";
    case ReplyKind::Top:
        return "TOP 명령어 실행중에 에러가 발생했습니다.";
    case ReplyKind::Retr:
        return "RETR 명령어 실행중에 에러가 발생했습니다.";
    }
    return "";
}

bool CPop3Session::ReadReply(ReplyKind kind) {
    return kind == ReplyKind::Top || kind == ReplyKind::Retr ? ReadMessage(kind) : ReadStatusLine(kind);
}

int CPop3Session::ReceiveChunk() {
    if (!pending.empty()) {
        const size_t n = pending.size() < buffer.size() ? pending.size() : buffer.size();
        std::memcpy(buffer.data(), pending.data(), n);
        pending.erase(0, n);
        return static_cast<int>(n);
    }
    return ReceiveFromSocket();
}

int CPop3Session::ReceiveFromSocket() {
    constexpr int sliceMs = 250;
    for (int waited = 0;; waited += sliceMs) {
        const int slice = timeoutMs < 0 ? sliceMs : std::min(sliceMs, timeoutMs - waited);
        const int n = socket.Receive(buffer.data(), buffer.size(), std::max(slice, 0));
        if (n != -1 || !socket.TimedOut() || (timeoutMs >= 0 && waited + slice >= timeoutMs))
            return n;
        if (stopFlag && *stopFlag == 0) {
            DropConnection(timedOutText);
            return -1;
        }
    }
}

void CPop3Session::DropConnection(const char* reason) {
    errorText = reason;
    socket.Close();
    pending.clear();
}

bool CPop3Session::ReadStatusLine(ReplyKind kind) {
    // The reply line up to its LF, however it is split; a read that fails or
    // finds the connection closed ends it with what has come.
    std::string line;
    for (;;) {
        const size_t lf = pending.find('\n');
        if (lf != std::string::npos) {
            line = pending.substr(0, lf + 1);
            pending.erase(0, lf + 1);
            break;
        }
        if (pending.size() >= static_cast<size_t>(replyBufferSize)) {
            line.swap(pending);
            break;
        }
        const int n = ReceiveFromSocket();
        if (n <= 0) {
            DropConnection(n == 0 ? closedText : socket.TimedOut() ? timedOutText : readErrorText);
            return false;
        }
        pending.append(buffer.data(), static_cast<size_t>(n));
    }
    line.resize(std::strlen(line.c_str())); // the reply is read as text: it ends at a zero byte

    if (StartsWithNoCase(line, "-ERR")) {
        errorText = RefusalText(kind);
        return false;
    }
    if (kind == ReplyKind::Stat) {
        const size_t gap = line.find_first_of(" \t");
        if (gap != std::string::npos)
            messageCount = std::min(DecimalValue(line.substr(gap + 1)), maxMessageCount);
    }
    return true;
}

bool CPop3Session::ReadMessage(ReplyKind kind) {
    const std::string path = TemporaryDirectory() + tempFileName;
    CReplyFile file(path);
    CMultiLineReply reply;
    std::string text;
    std::uint64_t total = 0;

    for (;;) {
        const int n = ReceiveChunk();
        if (n <= 0) {
            DropConnection(n == 0 ? closedText : socket.TimedOut() ? timedOutText : readErrorText);
            return false;
        }
        size_t used = 0;
        const CMultiLineReply::State state = reply.Feed(buffer.data(), static_cast<size_t>(n), text, used);
        // The bytes after this reply come before anything still pending.
        pending.insert(0, buffer.data() + used, static_cast<size_t>(n) - used);
        if (state == CMultiLineReply::State::Refused) {
            errorText = RefusalText(kind);
            return false;
        }
        total += used; // the status line counts too: a reply must end some time
        if (total > messageLimit) {
            DropConnection(tooLargeText);
            return false;
        }
        if (reply.IsMessage())
            file.Write(text);
        text.clear();
        if (state == CMultiLineReply::State::Complete)
            break;
    }
    if (!file.Finish()) {
        errorText = tempFileText;
        return false;
    }
    headerNumber = fetchNumber;
    // The store takes mail.tmp over: moved there, or deleted.
    return ParseHeaders(path, kind == ReplyKind::Top ? FetchedPart::HeaderOnly : FetchedPart::Whole, header,
                        errorText, FetchedFile::Consume);
}

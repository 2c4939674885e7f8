// Helpers of the portable tests: files, scratch directories, the real POP3
// server of tests/peers, and a scripted fake POP3 server for byte-level cases.
#pragma once

#include "framework/socket_platform.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Names of the files in dir (no directories), sorted.
std::vector<std::string> ListFiles(const std::string& dir);

// A fresh empty directory, removed with its contents at the end of scope.
// Path() ends with the platform's separator.
class CScratchDirectory {
  public:
    CScratchDirectory();
    ~CScratchDirectory();
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;
    const std::string& Path() const { return path; }

  private:
    std::string path;
};

// A scratch directory that serves as the store's temporary directory
// (SetTemporaryDirectory) while it lives.
class CScratchStore : public CScratchDirectory {
  public:
    CScratchStore();
    ~CScratchStore();
};

// The real server: its port (0 when tests/peers has not started one) and the
// copy of a message as the server holds it (CR LF, code page 949).
int PeerPop3Port();
std::string PeerMessage(const std::string& user, const std::string& name);

// The bytes a stored fetch of `message` holds: lines starting with "." get a
// second one (the server's dot-stuffing, which the store keeps) and the last
// line's CR LF goes (it belongs to the terminator).
std::string ExpectedStoreBytes(const std::string& message);

// Loopback servers of the tests. ListenOnLoopback listens on a free port
// of 127.0.0.1 and sets `port`; INVALID_SOCKET when it cannot.
SocketHandle ListenOnLoopback(int& port);
// 1 readable, 0 not within ms, -1 error.
int WaitReadable(SocketHandle s, int ms);
void SendAll(SocketHandle s, const std::string& bytes);

// One step of a fake server's script.
struct FakeStep {
    enum class Then { Continue, Close, GoSilent };
    bool awaitCommand = true;        // read one command line first (false: the greeting)
    std::vector<std::string> chunks; // then send these, one send each
    int gapMs = 0;                   // pause between two chunks
    Then then = Then::Continue;
    std::function<void()> afterFirstChunk; // run a gap after the first chunk went out
};

// Steps of a usual conversation.
FakeStep Greeting(const std::string& line = "+OK fake POP3 ready\r\n");
FakeStep Reply(const std::string& text);
FakeStep ChunkedReply(std::vector<std::string> chunks, int gapMs = 50);

// A POP3 server on a loopback port that serves one connection by a script,
// recording every command line it reads. After the script it goes on
// recording until the client closes.
class CFakePop3Server {
  public:
    explicit CFakePop3Server(std::vector<FakeStep> script);
    ~CFakePop3Server();
    CFakePop3Server(const CFakePop3Server&) = delete;
    CFakePop3Server& operator=(const CFakePop3Server&) = delete;

    int Port() const { return port; }
    // The command lines read, CR LF included. Waits for the conversation to
    // end (the client closing), at most a few seconds.
    std::vector<std::string> Commands();

  private:
    void Serve();
    bool ReadLine(SocketHandle connection, std::string& line);

    std::vector<FakeStep> script;
    SocketHandle listener = INVALID_SOCKET;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::string unread;
    std::mutex lock;
    std::vector<std::string> commands;
    std::thread thread;
};

// A message text of at least `size` bytes made of varied lines, some starting with
// dots (as the server sends it: already dot-stuffed), ending without CR LF.
std::string MakeMessageText(size_t size, unsigned seed);

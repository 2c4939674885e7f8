// Helpers of the portable tests: files, scratch directories, the real POP3
// server of tests/peers and the loopback sockets of the scripted peer
// (scripted_peer.h).
#pragma once

#include "net/socket_platform.h"

#include <string>
#include <vector>

// Files of the tests: the whole content ("" when unreadable).
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

// The port a test server of tests/peers wrote to `file`, 0 without one.
int PortIn(const std::string& file);
// The real server: its port (0 when tests/peers has not started one) and the
// copy of a message as the server holds it (CR LF, code page 949).
int PeerPop3Port();
std::string PeerMessage(const std::string& user, const std::string& name);

// Loopback servers of the tests. ListenOnLoopback listens on `port` of
// 127.0.0.1, or on a free one when it is 0, and sets `port`; INVALID_SOCKET
// when it cannot.
SocketHandle ListenOnLoopback(int& port);
// 1 readable, 0 not within ms, -1 error.
int WaitReadable(SocketHandle s, int ms);
void SendAll(SocketHandle s, const std::string& bytes);

// A message text of at least `size` bytes made of varied lines, some starting with
// dots (as the server sends it: already dot-stuffed), ending without CR LF.
std::string MakeMessageText(size_t size, unsigned seed);

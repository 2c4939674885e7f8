#include "test_support.h"

#include "mail/mail_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <netinet/tcp.h>
#include <poll.h>
#endif

namespace fs = std::filesystem;

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::vector<std::string> ListFiles(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CScratchDirectory::CScratchDirectory() {
    static std::mt19937_64 random(std::random_device{}());
    static std::mutex randomLock;
    std::lock_guard<std::mutex> hold(randomLock);
    for (;;) {
        const fs::path candidate =
            fs::temp_directory_path() / ("tidemark-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate)) {
            path = candidate.string();
            path += static_cast<char>(fs::path::preferred_separator);
            return;
        }
    }
}

CScratchDirectory::~CScratchDirectory() {
    std::error_code error;
    fs::remove_all(path, error);
}

CScratchStore::CScratchStore() {
    SetTemporaryDirectory(Path());
}
CScratchStore::~CScratchStore() {
    SetTemporaryDirectory("");
}

int PeerPop3Port() {
#ifdef TIDEMARK_PEERS_DIR
    std::ifstream in(std::string(TIDEMARK_PEERS_DIR) + "/pop3.port");
    int port = 0;
    if (in >> port)
        return port;
#endif
    return 0;
}

std::string PeerMessage(const std::string& user, const std::string& name) {
#ifdef TIDEMARK_PEERS_DIR
    return ReadFileBytes(std::string(TIDEMARK_PEERS_DIR) + "/messages/" + user + "/" + name + ".eml");
#else
    return std::string();
#endif
}

std::string ExpectedStoreBytes(const std::string& message) {
    std::string out;
    bool lineStart = true;
    for (char c : message) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0)
        out.resize(out.size() - 2);
    return out;
}

FakeStep Greeting(const std::string& line) {
    FakeStep step;
    step.awaitCommand = false;
    step.chunks = {line};
    return step;
}

FakeStep Reply(const std::string& text) {
    FakeStep step;
    step.chunks = {text};
    return step;
}

FakeStep ChunkedReply(std::vector<std::string> chunks, int gapMs) {
    FakeStep step;
    step.chunks = std::move(chunks);
    step.gapMs = gapMs;
    return step;
}

SocketHandle ListenOnLoopback(int& port) {
    SocketHandle listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    SocketLength length = sizeof(address);
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener != INVALID_SOCKET)
            CloseSocketHandle(listener);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}

int WaitReadable(SocketHandle s, int ms) {
#ifdef _WIN32
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    const int n = select(0, &set, nullptr, nullptr, &limit);
#else
    pollfd entry{s, POLLIN, 0};
    const int n = poll(&entry, 1, ms);
#endif
    return n > 0 ? 1 : n;
}

void SendAll(SocketHandle s, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 16));
#ifdef _WIN32
        const int n = send(s, bytes.data() + done, chunk, 0);
#else
        const int n = static_cast<int>(send(s, bytes.data() + done, chunk, MSG_NOSIGNAL));
#endif
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

namespace {

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

CFakePop3Server::CFakePop3Server(std::vector<FakeStep> steps) : script(std::move(steps)) {
    StartSocketLibrary();
    listener = ListenOnLoopback(port);
    thread = std::thread([this] { Serve(); });
}

CFakePop3Server::~CFakePop3Server() {
    stopping = true;
    if (thread.joinable())
        thread.join();
    CloseSocketHandle(listener);
    StopSocketLibrary();
}

std::vector<std::string> CFakePop3Server::Commands() {
    if (thread.joinable())
        thread.join();
    std::lock_guard<std::mutex> hold(lock);
    return commands;
}

bool CFakePop3Server::ReadLine(SocketHandle connection, std::string& line) {
    char buffer[4096];
    for (;;) {
        const size_t lf = unread.find('\n');
        if (lf != std::string::npos) {
            line = unread.substr(0, lf + 1);
            unread.erase(0, lf + 1);
            std::lock_guard<std::mutex> hold(lock);
            commands.push_back(line);
            return true;
        }
        const int ready = WaitReadable(connection, 50);
        if (ready < 0 || stopping)
            return false;
        if (ready == 0)
            continue;
        const int n = static_cast<int>(recv(connection, buffer, sizeof(buffer), 0));
        if (n <= 0)
            return false;
        unread.append(buffer, static_cast<size_t>(n));
    }
}

void CFakePop3Server::Serve() {
    SocketHandle connection = INVALID_SOCKET;
    for (int waited = 0; waited < 20000 && !stopping; waited += 50) {
        if (WaitReadable(listener, 50) == 1) {
            connection = accept(listener, nullptr, nullptr);
            break;
        }
    }
    if (connection == INVALID_SOCKET)
        return;
    int noDelay = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof(noDelay));

    std::string line;
    bool open = true;
    for (const FakeStep& step : script) {
        if (step.awaitCommand && !ReadLine(connection, line)) {
            open = false;
            break;
        }
        for (size_t i = 0; i < step.chunks.size(); ++i) {
            if (i > 0 && step.gapMs > 0)
                Sleep(step.gapMs);
            SendAll(connection, step.chunks[i]);
            if (i == 0 && step.afterFirstChunk) {
                Sleep(step.gapMs > 0 ? step.gapMs : 100);
                step.afterFirstChunk();
            }
        }
        if (step.then == FakeStep::Then::Close) {
            open = false;
            break;
        }
        if (step.then == FakeStep::Then::GoSilent) {
            // Answer nothing more; wait for the client to give up.
            char buffer[4096];
            while (!stopping) {
                const int ready = WaitReadable(connection, 50);
                if (ready < 0 || (ready == 1 && recv(connection, buffer, sizeof(buffer), 0) <= 0))
                    break;
            }
            open = false;
            break;
        }
    }
    // Record what else comes until the client closes (a few seconds at most).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (open && std::chrono::steady_clock::now() < until && ReadLine(connection, line)) {
    }
    CloseSocketHandle(connection);
}

std::string MakeMessageText(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    static const char* const starts[] = {"", "", "", ".", "..", "Subject: ", " ", "\t", "From ", "--"};
    std::string text = "From: Maker <maker@example.com>\r\nTo: you@example.com\r\nSubject: Made\r\nDate: 24 "
                       "Jul 2001 10:05:09\r\n\r\n";
    bool first = true;
    while (text.size() < size) {
        std::string line = starts[random() % 10];
        const size_t length = random() % 90;
        for (size_t i = 0; i < length; ++i)
            line += static_cast<char>(' ' + random() % 95);
        if (!line.empty() && line[0] == '.')
            line = "." + line; // as the server sends it: dot-stuffed
        text += first ? line : "\r\n" + line;
        first = false;
    }
    return text;
}

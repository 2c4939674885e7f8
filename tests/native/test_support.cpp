#include "test_support.h"

#include "mail/mail_store.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <filesystem>
#include <mutex>
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

int PortIn(const std::string& file) {
    std::ifstream in(file);
    int port = 0;
    return in >> port ? port : 0;
}

int PeerPop3Port() {
#ifdef TIDEMARK_PEERS_DIR
    return PortIn(std::string(TIDEMARK_PEERS_DIR) + "/pop3.port");
#else
    return 0;
#endif
}

std::string PeerMessage(const std::string& user, const std::string& name) {
#ifdef TIDEMARK_PEERS_DIR
    return ReadFileBytes(std::string(TIDEMARK_PEERS_DIR) + "/messages/" + user + "/" + name + ".eml");
#else
    return std::string();
#endif
}

SocketHandle ListenOnLoopback(int& port) {
    SocketHandle listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<unsigned short>(port));
#ifndef _WIN32
    int reuse = 1; // a port given again may still have a closing connection
    if (listener != INVALID_SOCKET)
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
#endif
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

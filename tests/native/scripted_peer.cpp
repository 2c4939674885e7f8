#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace {
// Every test binary that links this file talks over sockets.
class CSocketEnvironment : public testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { StopSocketLibrary(); }
};
testing::Environment* const socketEnvironment = testing::AddGlobalTestEnvironment(new CSocketEnvironment);

constexpr int silenceLimitSeconds = 20;

bool WaitReadable(SocketHandle s) {
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(s, &readSet);
    timeval wait{silenceLimitSeconds, 0};
    return select(static_cast<int>(s + 1), &readSet, nullptr, nullptr, &wait) > 0;
}
} // namespace

PeerStep Say(const std::string& text, int pauseMs) {
    return {PeerStep::Say, text, pauseMs};
}
PeerStep AwaitLine() {
    return {PeerStep::AwaitLine, "", 0};
}
PeerStep AwaitData() {
    return {PeerStep::AwaitData, "", 0};
}
PeerStep Hangup() {
    return {PeerStep::Hangup, "", 0};
}

std::vector<PeerStep> GreetAndAnswer(const std::vector<std::string>& repliesAfterHelo) {
    std::vector<PeerStep> script = {Say("220 peer ready\r\n"), AwaitLine(), Say("250 peer\r\n")};
    bool dataFollows = false;
    for (const std::string& reply : repliesAfterHelo) {
        script.push_back(dataFollows ? AwaitData() : AwaitLine());
        script.push_back(Say(reply));
        dataFollows = reply.compare(0, 3, "354") == 0;
    }
    return script;
}

CScriptedPeer::CScriptedPeer(std::vector<PeerStep> steps) : script(std::move(steps)) {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    SocketLength length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR ||
        listen(listener, 1) == SOCKET_ERROR ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR) {
        ADD_FAILURE() << "scripted peer cannot listen";
        return;
    }
    port = ntohs(address.sin_port);
    server = std::thread(&CScriptedPeer::Serve, this);
}

CScriptedPeer::~CScriptedPeer() {
    if (server.joinable())
        server.join();
    if (connection != INVALID_SOCKET)
        CloseSocketHandle(connection);
    if (listener != INVALID_SOCKET)
        CloseSocketHandle(listener);
}

std::string CScriptedPeer::Received() {
    if (server.joinable())
        server.join();
    return received;
}

bool CScriptedPeer::ReadUntil(const std::string& mark) {
    for (;;) {
        size_t found = mark.empty() ? std::string::npos : received.find(mark, consumed);
        if (found != std::string::npos) {
            consumed = found + mark.size();
            return true;
        }
        char chunk[4096];
        if (!WaitReadable(connection))
            return false;
        int count = recv(connection, chunk, sizeof chunk, 0);
        if (count <= 0)
            return false;
        received.append(chunk, static_cast<size_t>(count));
    }
}

void CScriptedPeer::Serve() {
    if (!WaitReadable(listener))
        return;
    connection = accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET)
        return;
    for (const PeerStep& step : script) {
        switch (step.kind) {
        case PeerStep::Say:
            std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
            send(connection, step.text.data(), static_cast<int>(step.text.size()), 0);
            break;
        case PeerStep::AwaitLine:
            if (!ReadUntil("\r\n"))
                return;
            break;
        case PeerStep::AwaitData:
            if (!ReadUntil("\r\n.\r\n"))
                return;
            break;
        case PeerStep::Hangup:
            CloseSocketHandle(connection);
            connection = INVALID_SOCKET;
            return;
        }
    }
    // Record the rest until the client closes.
    ReadUntil(std::string());
}

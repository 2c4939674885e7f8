#include "scripted_peer.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {
// Every test binary that links this file talks over sockets.
class CSocketEnvironment : public testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { StopSocketLibrary(); }
};
testing::Environment* const socketEnvironment = testing::AddGlobalTestEnvironment(new CSocketEnvironment);

constexpr int silenceLimitSeconds = 20;

bool ReadableInTime(SocketHandle s) {
    return WaitReadable(s, silenceLimitSeconds * 1000) == 1;
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
    listener = ListenOnLoopback(port);
    if (listener == INVALID_SOCKET) {
        ADD_FAILURE() << "scripted peer cannot listen";
        return;
    }
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
        if (!ReadableInTime(connection))
            return false;
        int count = recv(connection, chunk, sizeof chunk, 0);
        if (count <= 0)
            return false;
        received.append(chunk, static_cast<size_t>(count));
    }
}

void CScriptedPeer::Serve() {
    if (!ReadableInTime(listener))
        return;
    connection = accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET)
        return;
    for (const PeerStep& step : script) {
        switch (step.kind) {
        case PeerStep::Say:
            std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
            SendAll(connection, step.text);
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

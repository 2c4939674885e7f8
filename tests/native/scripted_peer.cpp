#include "scripted_peer.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>

#ifndef _WIN32
#include <netinet/tcp.h>
#endif

namespace {
// Every test binary that links this file talks over sockets.
class CSocketEnvironment : public testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { StopSocketLibrary(); }
};
testing::Environment* const socketEnvironment = testing::AddGlobalTestEnvironment(new CSocketEnvironment);

constexpr int silenceLimitMs = 20000;
constexpr int sliceMs = 50;

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
} // namespace

PeerStep Say(const std::string& text, int pauseMs) {
    return {PeerStep::Say, false, {text}, pauseMs, nullptr};
}
PeerStep AwaitLine() {
    return {PeerStep::AwaitLine, false, {}, 0, nullptr};
}
PeerStep AwaitData() {
    return {PeerStep::AwaitData, false, {}, 0, nullptr};
}
PeerStep Hangup() {
    return {PeerStep::Hangup, false, {}, 0, nullptr};
}
PeerStep GoSilent() {
    return {PeerStep::GoSilent, false, {}, 0, nullptr};
}

PeerStep Greeting(const std::string& line) {
    return Say(line);
}
PeerStep Reply(const std::string& text) {
    return ChunkedReply({text}, 0);
}
PeerStep ChunkedReply(std::vector<std::string> chunks, int pauseMs) {
    return {PeerStep::Say, true, std::move(chunks), pauseMs, nullptr};
}

PeerStep Trickle(const std::string& text, bool afterCommand, int pauseMs) {
    PeerStep step = ChunkedReply({}, pauseMs);
    step.awaitLineFirst = afterCommand;
    for (char c : text)
        step.chunks.push_back(std::string(1, c));
    return step;
}

std::vector<PeerStep> WithLogin(std::vector<PeerStep> rest) {
    std::vector<PeerStep> script{Greeting(), Reply("+OK\r\n"), Reply("+OK Logged in.\r\n")};
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
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

CScriptedPeer::CScriptedPeer(std::vector<PeerStep> steps, int listenPort)
    : script(std::move(steps)), port(listenPort) {
    listener = ListenOnLoopback(port);
    if (listener == INVALID_SOCKET) {
        ADD_FAILURE() << "scripted peer cannot listen";
        return;
    }
    server = std::thread(&CScriptedPeer::Serve, this);
}

CScriptedPeer::~CScriptedPeer() {
    stopping = true;
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

std::vector<std::string> CScriptedPeer::Commands() {
    const std::string bytes = Received();
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        const size_t lf = bytes.find('\n', start);
        const size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool CScriptedPeer::ReadableInTime(SocketHandle s) {
    for (int waited = 0; waited < silenceLimitMs && !stopping; waited += sliceMs) {
        const int ready = WaitReadable(s, sliceMs);
        if (ready != 0)
            return ready == 1;
    }
    return false;
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
        int count = static_cast<int>(recv(connection, chunk, sizeof chunk, 0));
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
    int noDelay = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof(noDelay));
    for (const PeerStep& step : script) {
        switch (step.kind) {
        case PeerStep::Say:
            if (step.awaitLineFirst && !ReadUntil("\n"))
                return;
            for (size_t i = 0; i < step.chunks.size(); ++i) {
                Pause(step.pauseMs);
                SendAll(connection, step.chunks[i]);
                if (i == 0 && step.afterFirstChunk) {
                    Pause(step.pauseMs > 0 ? step.pauseMs : 100);
                    step.afterFirstChunk();
                }
            }
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
        case PeerStep::GoSilent:
            ReadUntil(std::string());
            return;
        }
    }
    // Record the rest until the client closes.
    ReadUntil(std::string());
}

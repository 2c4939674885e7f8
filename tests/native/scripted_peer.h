// A loopback TCP server for one connection that plays a script against the
// client under test and records every byte the client sends.
#pragma once

#include "framework/socket_platform.h"

#include <string>
#include <thread>
#include <vector>

struct PeerStep {
    enum Kind { Say, AwaitLine, AwaitData, Hangup } kind;
    std::string text; // Say: bytes to send
    int pauseMs = 0;  // Say: wait this long before sending
};

// Send text, optionally after a pause.
PeerStep Say(const std::string& text, int pauseMs = 0);
// Wait for the client's next line (up to CR LF).
PeerStep AwaitLine();
// Wait for the client's data up to the end-of-data mark CR LF "." CR LF.
PeerStep AwaitData();
// Close the connection.
PeerStep Hangup();

// A typical server: greeting, HELO accepted, then one reply per client line;
// the reply after a "354" answers the client's data.
std::vector<PeerStep> GreetAndAnswer(const std::vector<std::string>& repliesAfterHelo);

class CScriptedPeer {
  public:
    explicit CScriptedPeer(std::vector<PeerStep> script);
    ~CScriptedPeer();

    int GetPort() const { return port; }
    // Everything the client sent. Waits until the client has closed the
    // connection (or the script hung up, or 20 seconds of silence).
    std::string Received();

  private:
    void Serve();
    bool ReadUntil(const std::string& mark);

    std::vector<PeerStep> script;
    SocketHandle listener = INVALID_SOCKET;
    SocketHandle connection = INVALID_SOCKET;
    int port = 0;
    std::string received;
    size_t consumed = 0;
    std::thread server;
};

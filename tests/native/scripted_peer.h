// A loopback TCP server for one connection that plays a script against the
// POP3 or SMTP client under test and records every byte the client sends.
// The socket library is started once for the whole test program.
#pragma once

#include "net/socket_platform.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PeerStep {
    enum Kind { Say, AwaitLine, AwaitData, Hangup, GoSilent } kind;
    bool awaitLineFirst = false;           // Say: read the client's next line first
    std::vector<std::string> chunks;       // Say: one send each
    int pauseMs = 0;                       // Say: wait this long before each chunk
    std::function<void()> afterFirstChunk; // Say: run a pause after the first chunk went out
};

// Send text, optionally after a pause.
PeerStep Say(const std::string& text, int pauseMs = 0);
// Wait for the client's next line (up to CR LF).
PeerStep AwaitLine();
// Wait for the client's data up to the end-of-data mark CR LF "." CR LF.
PeerStep AwaitData();
// Close the connection.
PeerStep Hangup();
// Answer nothing more; read until the client gives up.
PeerStep GoSilent();

// POP3 conversations: the greeting, then one reply per command line.
PeerStep Greeting(const std::string& line = "+OK fake POP3 ready\r\n");
PeerStep Reply(const std::string& text);
PeerStep ChunkedReply(std::vector<std::string> chunks, int pauseMs = 50);
// Sends text one byte at a time, pauseMs before each; after the client's
// next line when afterCommand.
PeerStep Trickle(const std::string& text, bool afterCommand, int pauseMs = 100);
// The POP3 greeting and an accepted USER and PASS, then rest.
std::vector<PeerStep> WithLogin(std::vector<PeerStep> rest);

// An SMTP server: greeting, HELO accepted, then one reply per client line;
// the reply after a "354" answers the client's data.
std::vector<PeerStep> GreetAndAnswer(const std::vector<std::string>& repliesAfterHelo);

class CScriptedPeer {
  public:
    // Listens on `port`, or on a free port when it is 0: an earlier peer's
    // port makes the client meet the same server again.
    explicit CScriptedPeer(std::vector<PeerStep> script, int port = 0);
    ~CScriptedPeer();
    CScriptedPeer(const CScriptedPeer&) = delete;
    CScriptedPeer& operator=(const CScriptedPeer&) = delete;

    int Port() const { return port; }
    // Everything the client sent. Waits until the client has closed the
    // connection (or the script hung up, or 20 seconds of silence).
    std::string Received();
    // The same, as lines with their CR LF.
    std::vector<std::string> Commands();

  private:
    void Serve();
    bool ReadUntil(const std::string& mark);
    // Waits in short slices, so that the destructor ends a waiting peer.
    bool ReadableInTime(SocketHandle s);

    std::vector<PeerStep> script;
    SocketHandle listener = INVALID_SOCKET;
    SocketHandle connection = INVALID_SOCKET;
    int port = 0;
    std::string received;
    size_t consumed = 0;
    std::atomic<bool> stopping{false};
    std::thread server;
};

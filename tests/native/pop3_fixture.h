// What the CPop3Session tests share: a sample message, its RETR reply, and a
// fixture with its own store that logs a session into a scripted peer.
#pragma once

#include "mail/mail_store.h"
#include "core/user_texts.h"
#include "mail/pop3_session.h"

#include "scripted_peer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

using Clock = std::chrono::steady_clock;

inline const std::string sampleMessage = "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\n"
                                         "From: \"Kim\" <kim@example.com>\r\nTo: you@example.com\r\n"
                                         "Subject: Hello\r\n\r\nBody line\r\n..stuffed line\r\nlast line";

inline std::string RetrReply(const std::string& text) {
    return "+OK " + std::to_string(text.size()) + " octets\r\n" + text + "\r\n.\r\n";
}

class Pop3Session : public ::testing::Test {
  protected:
    // A session logged into the peer.
    std::unique_ptr<CPop3Session> Connect(CScriptedPeer& server, int timeoutMs = 10000) {
        auto session = std::make_unique<CPop3Session>();
        session->SetTimeout(timeoutMs);
        EXPECT_TRUE(session->Login("127.0.0.1", "alice", "secret", server.Port()))
            << Pop3FailureText(*session);
        return session;
    }

    CScratchStore store;
};

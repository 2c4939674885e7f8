#include "net/tls_channel.h"
#include "core/user_texts.h"
#include "tls_test_peer.h"
#include "user_actions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

namespace {

constexpr int handshakeTimeoutMs = 10000;

// A transport on a fresh connection to one of the test servers, and the
// TLS channel its StartTls put beneath it.
class TlsChannelTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(TrustTlsPeerAuthority()) << "the TLS test servers are not running";
    }

    void Connect(const std::string& server) {
        ASSERT_GT(TlsPeerPort(server), 0) << "no TLS test server " << server;
        ASSERT_TRUE(transport.Create());
        SetReceiveTimeout(lineTimeoutMs);
        ASSERT_TRUE(transport.Connect("127.0.0.1", TlsPeerPort(server)));
    }
    void SetReceiveTimeout(int ms) { transport.SetTimeouts({lineTimeoutMs, lineTimeoutMs, ms}); }
    bool Handshake(const std::string& host = "localhost", const std::string& trusted = std::string(),
                   int timeoutMs = handshakeTimeoutMs) {
        SetReceiveTimeout(timeoutMs);
        const bool secured = transport.StartTls(host, trusted);
        SetReceiveTimeout(lineTimeoutMs);
        channel = transport.GetTlsChannel();
        return secured;
    }
    // One line out and its echo back over the channel.
    void ExpectEcho(const std::string& text) {
        ASSERT_TRUE(SendLine(transport, text));
        EXPECT_EQ(ReadLine(transport), text);
    }

    static constexpr int lineTimeoutMs = 5000;
    CSocketTransport transport;
    const CTlsChannel* channel = nullptr;
};

TEST_F(TlsChannelTest, GoodCertificateCarriesLinesBothWaysAcrossRecords) {
    Connect("good");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    EXPECT_EQ(channel->GetFailure(), TlsFailure::None);
    EXPECT_TRUE(SameFingerprint(channel->GetCertificateFingerprint(), TlsPeerFingerprint("good")));
    EXPECT_EQ(channel->GetCertificateFingerprint().size(), 64u);
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    ExpectEcho("HELLO alice");
    // Longer than one record each way.
    ExpectEcho(std::string(40000, 'x'));
    ASSERT_TRUE(SendLine(transport, "SEND 100000"));
    std::string expected;
    while (expected.size() < 100000)
        expected += static_cast<char>('a' + expected.size() % 26);
    EXPECT_EQ(ReadLine(transport), expected);

    // The server's close_notify ends the stream.
    ASSERT_TRUE(SendLine(transport, "QUIT"));
    EXPECT_EQ(ReadLine(transport), "+OK bye");
    char rest;
    EXPECT_EQ(transport.Receive(&rest, 1), 0u);
    EXPECT_EQ(transport.GetFailure(), CSocketTransport::Failure::Closed);

    // Closing after the goodbye sends ours.
    Connect("good");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    ASSERT_TRUE(SendLine(transport, "QUIT"));
    EXPECT_EQ(ReadLine(transport), "+OK bye");
    const int cleanCloses = TlsPeerCleanCloses();
    transport.Close();
    PumpMessagesUntil([&] { return TlsPeerCleanCloses() != cleanCloses; });
    EXPECT_EQ(TlsPeerCleanCloses(), cleanCloses + 1);
}

TEST_F(TlsChannelTest, QuietServerTimesOutTheReceiveAndTheChannelGoesOn) {
    Connect("good");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    SetReceiveTimeout(300);
    char byte;
    EXPECT_EQ(transport.Receive(&byte, 1), 0u);
    EXPECT_EQ(transport.GetFailure(), CSocketTransport::Failure::TimedOut);
    SetReceiveTimeout(lineTimeoutMs);
    ExpectEcho("NOOP");
}

TEST_F(TlsChannelTest, ForgedRecordEndsTheSession) {
    Connect("good");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    ASSERT_TRUE(SendLine(transport, "FORGE"));
    char byte;
    EXPECT_EQ(transport.Receive(&byte, 1), 0u);
    EXPECT_EQ(transport.GetFailure(), CSocketTransport::Failure::Error);
    EXPECT_EQ(channel->GetFailure(), TlsFailure::Stream);
    EXPECT_EQ(TlsFailureText(channel->GetError())
                  .rfind("localhost 서버와의 보안 연결(TLS)에 오류가 발생했습니다.", 0),
              0u);
    EXPECT_FALSE(SendLine(transport, "NOOP"));
}

TEST_F(TlsChannelTest, ServerAskingForAClientCertificateIsServedWithoutOne) {
    Connect("asks-certificate");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    ExpectEcho("NOOP");
}

TEST_F(TlsChannelTest, CertificatesWindowsRefusesFailWithTheirReason) {
    const struct {
        const char* server;
        const char* host;
        TlsFailure failure;
        const char* text;
    } cases[] = {
        {"wrong-name", "localhost", TlsFailure::CertificateName,
         "localhost 서버의 인증서 이름이 맞지 않습니다."},
        {"good", "mail.localhost", TlsFailure::CertificateName,
         "mail.localhost 서버의 인증서 이름이 맞지 않습니다."},
        {"expired", "localhost", TlsFailure::CertificateExpired, "localhost 서버의 인증서가 만료되었습니다."},
        {"self-signed", "localhost", TlsFailure::CertificateUntrusted,
         "localhost 서버의 인증서를 신뢰할 수 없습니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        Connect(c.server);
        EXPECT_FALSE(Handshake(c.host));
        EXPECT_EQ(channel->GetFailure(), c.failure);
        EXPECT_EQ(TlsFailureText(channel->GetError()), c.text);
        EXPECT_TRUE(SameFingerprint(channel->GetCertificateFingerprint(), TlsPeerFingerprint(c.server)));
        EXPECT_EQ(transport.GetFailure(), CSocketTransport::Failure::Tls);
        EXPECT_FALSE(SendLine(transport, "USER alice")) << "a refused channel carries nothing";
    }
}

TEST_F(TlsChannelTest, TrustedFingerprintAdmitsThatCertificateOnly) {
    // As openssl prints it: lower or upper case, with colons.
    const std::string trusted = TlsPeerFingerprint("self-signed");
    Connect("self-signed");
    ASSERT_TRUE(Handshake("localhost", trusted)) << TlsFailureText(channel->GetError());
    EXPECT_EQ(ReadLine(transport), "+OK ready for localhost");
    ExpectEcho("RETR 1");

    // The server's certificate changed: the old trust does not cover it.
    Connect("self-signed-renewed");
    EXPECT_FALSE(Handshake("localhost", trusted));
    EXPECT_EQ(channel->GetFailure(), TlsFailure::CertificateUntrusted);
    EXPECT_TRUE(
        SameFingerprint(channel->GetCertificateFingerprint(), TlsPeerFingerprint("self-signed-renewed")));
}

TEST_F(TlsChannelTest, HandshakesThatCannotCompleteFailWithinTheTimeOut) {
    const struct {
        const char* server;
        TlsFailure failure;
        const char* text;
    } cases[] = {
        {"silent", TlsFailure::TimedOut, "localhost 서버가 보안 연결(TLS) 중에 응답하지 않습니다."},
        {"hangup", TlsFailure::Closed, "localhost 서버가 보안 연결(TLS) 중에 연결을 끊었습니다."},
        {"outdated", TlsFailure::ProtocolTooOld, "localhost 서버가 TLS 1.2 이상을 지원하지 않습니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        Connect(c.server);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(Handshake("localhost", std::string(), 1000));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(channel->GetFailure(), c.failure);
        EXPECT_EQ(TlsFailureText(channel->GetError()), c.text);
        EXPECT_FALSE(SendLine(transport, "USER alice"));
    }
}

TEST_F(TlsChannelTest, PlainConnectionUpgradesAfterStls) {
    Connect("plain");
    EXPECT_EQ(ReadLine(transport), "+OK plain ready");
    ASSERT_TRUE(SendLine(transport, "CAPA"));
    EXPECT_EQ(ReadLine(transport), "CAPA");
    ASSERT_TRUE(SendLine(transport, "STLS"));
    EXPECT_EQ(ReadLine(transport), "+OK begin TLS");
    ASSERT_TRUE(Handshake()) << TlsFailureText(channel->GetError());
    ExpectEcho("HELLO alice");
    ASSERT_TRUE(SendLine(transport, "QUIT"));
    EXPECT_EQ(ReadLine(transport), "+OK bye");
}

} // namespace

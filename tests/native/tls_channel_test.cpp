#include "net/tls_channel.h"
#include "core/user_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(TlsFingerprint, DigitsDecideWhateverTheSpelling) {
    const std::string stored = "0A1B2C3D";
    EXPECT_TRUE(SameFingerprint(stored, "0a:1b:2c:3d"));
    EXPECT_TRUE(SameFingerprint(stored, "0A 1B 2C 3D"));
    EXPECT_FALSE(SameFingerprint(stored, "0A1B2C3E"));
    EXPECT_FALSE(SameFingerprint(stored, "0A1B2C3D00"));
    EXPECT_FALSE(SameFingerprint("", ""));
    EXPECT_FALSE(SameFingerprint(":", " "));
}

#ifndef _WIN32
// A stream that must never be used: without TLS nothing goes out.
class CUntouchedStream : public CByteStream {
  public:
    int Read(char*, size_t) override { return used = true, -1; }
    int Write(const char*, size_t) override { return used = true, -1; }
    int Wait(bool, int) override { return used = true, -1; }
    bool used = false;
};

TEST(TlsChannelWithoutPlatformTls, RefusesEveryHandshakeAndSendsNothing) {
    CUntouchedStream transport;
    auto channel = CreateTlsChannel(transport);
    EXPECT_FALSE(channel->Handshake("pop.example.com", std::string(), 1000));
    EXPECT_EQ(channel->GetFailure(), TlsFailure::Unsupported);
    EXPECT_EQ(TlsFailureText(channel->GetError()), "TLS를 지원하지 않습니다.");
    EXPECT_EQ(channel->Write("x", 1), -1);
    EXPECT_FALSE(transport.used);
}
#endif

} // namespace

// Builds without a platform TLS: portable code compiles and runs, and every
// request for TLS fails with a clear reason.
#include "framework/tls_channel.h"

namespace {

class CUnsupportedTlsChannel final : public CTlsChannel {
  public:
    bool Handshake(const std::string& host, const std::string&, int) override {
        return Fail(TlsFailure::Unsupported, host);
    }
    bool Send(const char*, size_t) override { return false; }
    int Receive(char*, size_t, int) override { return -1; }
    bool TimedOut() const override { return false; }
    void Close() override {}
};

} // namespace

std::unique_ptr<CTlsChannel> CreateTlsChannel(CBlockingStream&) {
    return std::make_unique<CUnsupportedTlsChannel>();
}

// Builds without a platform TLS: portable code compiles and runs, and every
// request for TLS fails with a clear reason.
#include "net/tls_channel.h"

namespace {

class CUnsupportedTlsChannel final : public CTlsChannel {
  public:
    bool Handshake(const std::string& host, const std::string&, int, const std::atomic<int>*) override {
        return Fail(TlsFailure::Unsupported, host);
    }
    int Read(char*, size_t) override { return -1; }
    int Write(const char*, size_t) override { return -1; }
    int Wait(bool, int) override { return 1; }
};

} // namespace

std::unique_ptr<CTlsChannel> CreateTlsChannel(CByteStream&) {
    return std::make_unique<CUnsupportedTlsChannel>();
}

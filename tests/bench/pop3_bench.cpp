// Fetch benchmark: logs into the test server's "bench" mailbox (1000 messages
// of about 10 KB, see tests/peers/pop3-peer.sh) and retrieves every message
// through CPop3Session, as a check does: reply read, header extraction and
// the copy into the .eml store. Prints messages per second and the client's
// own CPU time. Not a test: run it by hand with the server started, e.g.
//   tests/peers/pop3-peer.sh start build/native/peers
//   build/native/pop3_bench [rounds]
//   tests/peers/pop3-peer.sh stop build/native/peers
#include "mail/mail_store.h"
#include "mail/pop3_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    int port = 0;
    std::ifstream(std::string(TIDEMARK_PEERS_DIR) + "/pop3.port") >> port;
    if (port == 0) {
        std::fprintf(stderr, "no server: start one with tests/peers/pop3-peer.sh start %s\n",
                     TIDEMARK_PEERS_DIR);
        return 1;
    }
    char dir[] = "/tmp/tidemark-bench-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    SetTemporaryDirectory(dir);
    StartSocketLibrary();

    for (int round = 1; round <= rounds; ++round) {
        CPop3Session session;
        if (!session.Login("127.0.0.1", "bench", "secret", port) || !session.Stat()) {
            std::fprintf(stderr, "login failed: %s\n", session.GetErrorText().c_str());
            rmdir(dir);
            return 1;
        }
        const int count = session.GetMessageCount();
        const double cpuStart = CpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        int fetched = 0;
        for (int n = 1; n <= count; ++n)
            fetched += session.Retrieve(n) ? 1 : 0;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        const double cpu = CpuSeconds() - cpuStart;
        session.Quit();
        std::printf("round %d: %d of %d messages in %.3f s (%.0f messages/s), client CPU %.3f s (%.0f "
                    "messages per CPU second)\n",
                    round, fetched, count, wall, count / wall, cpu, count / cpu);
        DeleteStoreFiles();
    }
    StopSocketLibrary();
    rmdir(dir);
    return 0;
}

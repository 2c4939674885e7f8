// Check benchmark: runs the mail check (all mail, method 2) on the test
// server's "bench" mailbox (1000 messages of about 10 KB, see
// tests/peers/pop3-peer.sh) twice, as a first check of the run and as a
// repeat check of the unchanged mailbox. The timed pair talks to the server
// directly, as curl does; a second pair, in a run of its own, goes through a
// relay that counts the bytes both ways (its extra hop would otherwise be
// timed too). The store lies in $TMPDIR (else /tmp), a fresh folder per pair,
// all removed at the end: ext4 makes a new file slow while many files near
// it were deleted in the last half minute, which no user's check meets.
// Not a test: tests/bench/fetch_bench.sh runs it beside
// curl, or by hand with the server started:
//   tests/peers/pop3-peer.sh start build/native/peers
//   build/native/pop3_bench [rounds] [imap: the "imapbench" INBOX of imap_bench.sh over IMAP]
//   tests/peers/pop3-peer.sh stop build/native/peers
#include "core/check_cycle.h"
#include "net/socket_platform.h"
#include "mail/mail_store.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Relays one connection at a time between the client and the server,
// counting the bytes that pass either way.
class CCountingRelay {
  public:
    explicit CCountingRelay(int serverPort) : serverPort(serverPort) {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        worker = std::thread([this] { Serve(); });
    }
    ~CCountingRelay() {
        shutdown(listener, SHUT_RDWR);
        close(listener);
        worker.join();
    }
    int Port() const { return port; }
    // Bytes relayed since the last call.
    long long TakeBytes() { return bytes.exchange(0); }

  private:
    void Serve() {
        for (;;) {
            const int client = accept(listener, nullptr, nullptr);
            if (client < 0)
                return;
            const int server = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<unsigned short>(serverPort));
            if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
                Relay(client, server);
            close(server);
            close(client);
        }
    }
    void Relay(int client, int server) {
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        char block[65536];
        for (;;) {
            if (poll(ends, 2, -1) <= 0)
                return;
            for (int i = 0; i < 2; ++i) {
                if (!(ends[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = recv(ends[i].fd, block, sizeof(block), 0);
                if (n <= 0 || send(ends[1 - i].fd, block, static_cast<size_t>(n), MSG_NOSIGNAL) != n)
                    return;
                bytes += n;
            }
        }
    }

    int serverPort;
    int listener = -1;
    int port = 0;
    std::atomic<long long> bytes{0};
    std::thread worker;
};

// A host that only counts what the check lists.
class CCountingHost : public CCheckHost {
  public:
    CCountingHost(int port, bool imap) {
        account.entry.Name = "bench";
        account.entry.Address = "127.0.0.1";
        account.entry.ID = imap ? "imapbench" : "bench";
        account.entry.Protocol = imap ? ProtocolImap : ProtocolPop3;
        account.entry.Password = "secret";
        account.entry.Port = port;
        account.entry.CheckAlgorithm = CheckAllMail;
    }
    int listed = 0;
    int errors = 0;

    bool GetAccount(int index, CheckAccount& copy) override {
        copy = account;
        return index == 0;
    }
    CheckFilter GetFilter() override { return {}; }
    void StoreLastMailDate(int, const CheckAccount&, const std::string& date) override {
        account.entry.LastMailDate = date;
    }
    void StoreMailboxMark(int, const CheckAccount&, const MailboxMark& mark) override {
        account.entry.ImapUidValidity = mark.uidValidity;
        account.entry.ImapLastUid = mark.lastUid;
    }
    int NotifyNewMail(int, const ServerEntry&, const NewMailNews&) override { return 0; }
    void OnCheckBegins() override { listed = errors = 0; }
    void OnNoSocket() override { ++errors; }
    void OnAccountBegins(int, const std::string&) override {}
    void OnMailFound(const MailHeader&, const std::string&) override { ++listed; }
    void OnAccountFailed(int, const std::string&, const std::string& reason) override {
        std::fprintf(stderr, "error row: %s\n", reason.c_str());
        ++errors;
    }
    void OnAccountFinished(int, int) override {}
    void OnCheckFinished(const CheckOutcome&) override {}

  private:
    CheckAccount account;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const bool imap = argc > 2 && std::string(argv[2]) == "imap";
    int serverPort = 0;
    std::ifstream(std::string(TIDEMARK_PEERS_DIR) + (imap ? "/imap.port" : "/pop3.port")) >> serverPort;
    if (serverPort == 0) {
        std::fprintf(stderr, "no server: start one with tests/peers/pop3-peer.sh start %s\n",
                     TIDEMARK_PEERS_DIR);
        return 1;
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string storeBase = std::string(tmp && *tmp ? tmp : "/tmp") + "/tidemark-bench-XXXXXX";
    std::vector<std::string> stores;
    StartSocketLibrary();
    CCountingRelay relay(serverPort);

    int failures = 0;
    for (int round = 1; round <= rounds; ++round) {
        for (const bool counted : {false, true}) {
            std::string dir = storeBase;
            if (!mkdtemp(dir.data()))
                return 1;
            stores.push_back(dir);
            SetTemporaryDirectory(dir);
            CAnnouncedMails announced;
            CRetrievedMails retrieved; // a new run: nothing known yet
            CCountingHost host(counted ? relay.Port() : serverPort, imap);
            for (const char* check : {"first", "repeat"}) {
                std::atomic<int> running{1};
                relay.TakeBytes();
                const auto start = std::chrono::steady_clock::now();
                RunMailCheck(host, running, CCalendarTime::Now(), announced, retrieved);
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (counted)
                    std::printf("round %d %s check: %lld bytes\n", round, check, relay.TakeBytes());
                else
                    std::printf("round %d %s check: %d mails listed in %.3f s\n", round, check, host.listed,
                                seconds);
                failures += host.errors + (host.listed == (imap ? 50 : 1000) ? 0 : 1);
            }
        }
    }
    StopSocketLibrary();
    for (const std::string& dir : stores) {
        SetTemporaryDirectory(dir);
        DeleteStoreFiles();
        rmdir(dir.c_str());
    }
    return failures == 0 ? 0 : 1;
}

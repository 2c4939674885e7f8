// Push benchmark: delivers mails one by one into the Maildir of the test
// server's user "push" (written in tmp/, then renamed into new/, as a
// delivery agent does) and times, for each, how long until CImapPush
// reports the account changed; beside it, in the same run, a bare IDLE
// client on a plain socket (the server's own notice of the delivery). Then
// times CImapPush::Stop. Not a test: tests/bench/imap_push_bench.sh runs it
// with its own dovecot.
//   imap_push_bench PEERS_DIR [deliveries]
#include "core/imap_push.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Reports of both watchers, as times.
struct CWakes {
    std::mutex mutex;
    std::condition_variable woken;
    std::vector<Clock::time_point> push, bare;
    void Note(std::vector<Clock::time_point>& list) {
        std::lock_guard<std::mutex> lock(mutex);
        list.push_back(Clock::now());
        woken.notify_all();
    }
};

// LOGIN, EXAMINE INBOX and IDLE on a plain socket; notes every EXISTS.
void BareIdle(int port, CWakes& wakes, int expected) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        std::exit(1);
    const std::string commands = "a LOGIN push secret\r\nb EXAMINE INBOX\r\nc IDLE\r\n";
    if (send(s, commands.data(), commands.size(), 0) != static_cast<ssize_t>(commands.size()))
        std::exit(1);
    std::string text;
    char buffer[4096];
    bool idling = false;
    for (int heard = 0; heard < expected;) {
        const ssize_t n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2)) {
            const std::string line = text.substr(0, end);
            if (line.rfind("+ ", 0) == 0)
                idling = true;
            else if (idling && line.find(" EXISTS") != std::string::npos && ++heard)
                wakes.Note(wakes.bare);
        }
    }
    close(s);
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Print(const char* name, std::vector<double> latencies) {
    std::sort(latencies.begin(), latencies.end());
    std::printf("%-28s median %7.1f ms  worst %7.1f ms  (%zu deliveries)\n", name,
                latencies[latencies.size() / 2], latencies.back(), latencies.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string peers = argv[1];
    const int deliveries = argc > 2 ? std::atoi(argv[2]) : 20;
    int port = 0;
    std::ifstream(peers + "/imap.port") >> port;
    ServerEntry account;
    account.Address = "127.0.0.1";
    account.ID = "push";
    account.Password = "secret";
    account.Port = port;
    account.Protocol = ProtocolImap;

    CWakes wakes;
    CImapPush push;
    push.Start({account}, 60000, [&](int) { wakes.Note(wakes.push); });
    std::thread bare(BareIdle, port, std::ref(wakes), deliveries);
    std::this_thread::sleep_for(std::chrono::seconds(1)); // both in IDLE

    std::vector<double> pushMs, bareMs;
    const std::string maildir = peers + "/mail/push/Maildir/";
    for (int i = 0; i < deliveries; ++i) {
        const std::string name = "bench" + std::to_string(i) + ".push";
        std::ofstream(maildir + "tmp/" + name, std::ios::binary)
            << "From: p@example.com\r\nTo: push@tidemark.test\r\nSubject: Push " << i << "\r\n\r\nNew.\r\n";
        std::unique_lock<std::mutex> lock(wakes.mutex);
        const size_t pushBefore = wakes.push.size(), bareBefore = wakes.bare.size();
        const Clock::time_point delivered = Clock::now();
        std::rename((maildir + "tmp/" + name).c_str(), (maildir + "new/" + name).c_str());
        wakes.woken.wait_for(lock, std::chrono::seconds(10), [&] {
            return wakes.push.size() > pushBefore && wakes.bare.size() > bareBefore;
        });
        if (wakes.push.size() == pushBefore || wakes.bare.size() == bareBefore)
            return 1;
        pushMs.push_back(Ms(wakes.push[pushBefore] - delivered));
        bareMs.push_back(Ms(wakes.bare[bareBefore] - delivered));
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    bare.join();
    Print("bare IDLE client (yardstick)", bareMs);
    Print("CImapPush report", pushMs);
    const Clock::time_point stop = Clock::now();
    push.Stop();
    std::printf("CImapPush::Stop              %7.1f ms\n", Ms(Clock::now() - stop));
    return 0;
}

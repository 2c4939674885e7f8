// Store benchmark: keeps N different mails that share one date name (as all
// undated mails do), then keeps each of them again as the next check would.
// Prints the time of each pass; both should grow about linearly with N.
//   build/native/store_bench [count]
#include "mail/mail_store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string Mail(int number) {
    return "From: sender" + std::to_string(number) + "@example.com\r\nTo: you@example.com\r\nSubject: mail " +
           std::to_string(number) + "\r\n\r\n" + std::string(4000, 'x') + "\r\nend";
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    char dir[] = "/tmp/tidemark-store-bench-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    SetTemporaryDirectory(dir);
    for (int pass = 1; pass <= 2; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) {
            const std::string mail = Mail(i);
            CStoreWriter writer;
            if (!writer.Open(CCalendarTime::Invalid(), FetchedPart::Whole) ||
                !writer.Write(mail.data(), mail.size()) || writer.Finish().empty())
                return 1;
        }
        std::printf("pass %d: %d undated mails kept in %.2f s\n", pass, count, Seconds(start));
    }
    std::printf("deleted %d store files\n", DeleteStoreFiles());
    rmdir(dir);
    return 0;
}

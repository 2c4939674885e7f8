// Time to prepare a large attachment and a long quoted-printable text part:
// both happen on the user-interface thread before a mail is sent.
//   attachment_encoding_bench [megabytes]
#include "mail/mail_attachment.h"
#include "mail/quoted_printable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv) {
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 16;
    const char* path = "attachment_encoding_bench.tmp";
    std::string content(megabytes << 20, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 131 + (i >> 9));
    std::FILE* file = std::fopen(path, "wb");
    if (!file || std::fwrite(content.data(), 1, content.size(), file) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    std::fclose(file);

    auto start = std::chrono::steady_clock::now();
    MailAttachment attachment;
    bool loaded = attachment.LoadFile(path);
    double loadSeconds = SecondsSince(start);
    std::remove(path);
    if (!loaded) {
        std::fprintf(stderr, "LoadFile failed\n");
        return 1;
    }
    std::printf("LoadFile: %zu MB in %.3f s (%.1f MB/s), %zu bytes of base64\n", megabytes, loadSeconds,
                megabytes / loadSeconds, attachment.encoded.size());

    // Korean text: every byte becomes "=XX".
    std::string text;
    while (text.size() < (1u << 20))
        text += "\xC7\xD1\xB1\xDB \xB8\xDE\xC0\xCF \xBA\xBB\xB9\xAE\r\n";
    start = std::chrono::steady_clock::now();
    std::string encoded = EncodeQuotedPrintable(text);
    double encodeSeconds = SecondsSince(start);
    std::printf("EncodeQuotedPrintable: 1 MB in %.3f s, %zu bytes encoded\n", encodeSeconds, encoded.size());
    return 0;
}

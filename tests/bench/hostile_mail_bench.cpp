// Hostile-mail benchmark: the HTML converter and the MIME reader over crafted
// input of `size` characters, each after ordinary input of that size (the
// yardstick: a linear reader takes about as long for both). Run by
// tests/bench/hostile_mail_bench.sh beside an earlier revision.
#include "mail/html_text.h"
#include "mail/mime_message.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

template <typename Text>
void Read(const char* what, const Text& piece, size_t size, const Text& before = {}, const Text& after = {}) {
    Text text = before;
    while (text.size() < before.size() + size)
        text += piece;
    text += after;
    const auto start = std::chrono::steady_clock::now();
    CRichDocument document;
    if constexpr (sizeof(text[0]) == 2)
        AppendHtml(text, document);
    else
        CMimeMessage message(text);
    std::printf("%-36s %8.3f s\n", what,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

} // namespace

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 160000;
    Read<std::u16string>("html: ordinary text", u"<p>word &amp; word</p>", n);
    Read<std::u16string>("html: text of \"&\"", u"&", n);
    Read<std::u16string>("html: attribute of \"&\"", u"&", n, u"<a href=\"", u"\">");
    Read<std::u16string>("html: \"<head><body>\" repeated", u"<head><body>", n);
    // A body of dashes holds a delimiter of dashes at every position, though
    // none starts a line.
    const std::string dashes(n, '-');
    Read<std::string>("mime: ordinary multipart", "-", n,
                      "Content-Type: multipart/mixed; boundary=b\n\n--b\n\nx");
    Read<std::string>("mime: boundary as long as the body", "-", n,
                      "Content-Type: multipart/mixed; boundary=" + dashes + "\n\n--" + dashes + "\n\nx");
    return 0;
}

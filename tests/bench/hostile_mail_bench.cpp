// Hostile-mail benchmark: the HTML converter and the MIME reader over crafted
// input of `size` characters, each beside ordinary input of the same size
// (the yardstick: a linear reader takes about as long for both).
//   build/native/hostile_mail_bench [size]
#include "mail/html_text.h"
#include "mail/mime_message.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::u16string Repeated(const std::u16string& piece, size_t size) {
    std::u16string text;
    while (text.size() < size)
        text += piece;
    return text;
}

template <typename Read> void Measure(const char* what, Read read) {
    const auto start = std::chrono::steady_clock::now();
    read();
    std::printf("%-34s %8.3f s\n", what,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void Html(const char* what, const std::u16string& html) {
    Measure(what, [&html] {
        CRichDocument document;
        AppendHtml(html, document);
    });
}

} // namespace

int main(int argc, char** argv) {
    const size_t size = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 160000;
    Html("html: ordinary text", Repeated(u"<p>word &amp; word</p>", size));
    Html("html: text of \"&\"", Repeated(u"&", size));
    Html("html: attribute of \"&\"", u"<a href=\"" + Repeated(u"&", size) + u"\">");
    Html("html: \"<head><body>\" repeated", Repeated(u"<head><body>", size));

    // Dashes everywhere: every position of the body holds a whole delimiter
    // made of dashes, though none starts a line.
    const std::string body = "x" + std::string(size, '-');
    const auto multipart = [&body](const std::string& boundary) {
        return "Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--" + boundary + "\n\n" + body +
               "\n--" + boundary + "--\n";
    };
    const std::string ordinary = multipart("b"), hostile = multipart(std::string(size, '-'));
    Measure("mime: ordinary multipart", [&ordinary] { CMimeMessage message(ordinary); });
    Measure("mime: boundary as long as the body", [&hostile] { CMimeMessage message(hostile); });
    return 0;
}

// Hostile-mail benchmark: the HTML converter and the MIME reader over crafted
// input of `size` characters (hostile_mail_bench.sh runs it beside an earlier
// revision).
#include "mail/html_text.h"
#include "mail/mime_message.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

template <typename Read> void Time(const char* what, Read read) {
    const auto start = std::chrono::steady_clock::now();
    read();
    std::printf("%-36s %8.3f s\n", what,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 160000;
    const std::u16string ampersands(n, u'&');
    std::u16string heads;
    while (heads.size() < n)
        heads += u"<head><body>";
    for (const auto& html : {std::make_pair("html: text of \"&\"", ampersands),
                             {"html: attribute of \"&\"", u"<a href=\"" + ampersands + u"\">"},
                             {"html: \"<head><body>\" repeated", heads}})
        Time(html.first, [&html] {
            CRichDocument document;
            AppendHtml(html.second, document);
        });
    // Dashes: a delimiter at half the positions of the body, at no line start.
    const std::string dashes(n, '-');
    const std::string mime =
        "Content-Type: multipart/mixed; boundary=" + dashes + "\n\n--" + dashes + "\n\nx" + dashes + dashes;
    Time("mime: boundary as long as the body", [&mime] { CMimeMessage message(mime); });
    return 0;
}

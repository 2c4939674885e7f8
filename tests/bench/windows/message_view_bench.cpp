// Benchmark of the message view (run under Wine by hand, not a test): a
// 5 MB mail, a long HTML part and a 4 MB base64 attachment, read from its
// file, parsed and shown in the rich-edit control.
//   scripts/wine-run.sh build/windows/message_view_bench.exe [HTML KB] [runs]
#include "widgets/web_browser2.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string BenchMail(size_t htmlBytes) {
    std::string html = "<html><head><style>p{}</style></head><body><h1>주간 소식</h1>";
    for (int i = 0; html.size() < htmlBytes; ++i)
        html +=
            "<p>안녕하세요, <b>Tidemark</b> 소식 " + std::to_string(i) +
            " 입니다. <a href=\"https://example.kr/" + std::to_string(i) +
            "\">자세히 보기</a> &amp; 더 읽기</p><table><tr><td>가격</td><td>1,000원</td></tr></table>\r\n";
    html += "</body></html>\r\n";
    std::string attachment;
    for (unsigned n = 0; attachment.size() < (4u << 20); ++n) {
        std::string line;
        for (int i = 0; i < 76; ++i)
            line += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[(n * 7 + i * 13) % 64];
        attachment += line + "\r\n";
    }
    return "From: bench@example.kr\r\nSubject: bench\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
           "Content-Type: multipart/alternative; boundary=\"b2\"\r\n\r\n--b2\r\n"
           "Content-Type: text/plain; charset=euc-kr\r\n\r\nplain\r\n--b2\r\n"
           "Content-Type: text/html; charset=euc-kr\r\n\r\n" +
           html +
           "--b2--\r\n--b1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           attachment + "--b1--\r\n";
}

} // namespace

int main(int argc, char** argv) {
    // Optional: the HTML size in KB and the number of runs, to see how the time grows.
    const size_t htmlKb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 900;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string path = std::string(directory) + "tidemark-bench.eml";
    const std::string mail = BenchMail(htmlKb << 10);
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(mail.data(), 1, mail.size(), file);
        std::fclose(file);
    }
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    CWebBrowser2 browser;
    if (!browser.Create(parent, RECT{0, 0, 780, 560})) {
        std::printf("the rich-edit control cannot be created\n");
        return 1;
    }
    // Until Navigate returns the first screen shows; the rest of a long
    // mail follows through the message queue.
    std::vector<double> firstTimes, wholeTimes;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        browser.Navigate("file://" + path);
        firstTimes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        MSG message;
        while (!browser.IsComplete() && GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        wholeTimes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(firstTimes.begin(), firstTimes.end());
    std::sort(wholeTimes.begin(), wholeTimes.end());
    std::printf(
        "message view of a %.1f MB mail (%.0f KB of HTML text shown, %zu attachment), median of %zu runs: "
        "first screen %.0f ms, whole text %.0f ms\n",
        mail.size() / 1048576.0, GetWindowTextLengthW(browser.GetHandle()) / 1024.0,
        browser.Attachments().size(), firstTimes.size(), firstTimes[firstTimes.size() / 2],
        wholeTimes[wholeTimes.size() / 2]);
    DeleteFileA(path.c_str());
    DestroyWindow(parent);
    return 0;
}

// Benchmark of the message view (run under Wine by hand, not a test): a
// 5 MB mail, a long HTML part and a 4 MB base64 attachment, read from its
// file, parsed and shown; then the crafted mails of hostile_mail_bench.cpp.
//   scripts/wine-run.sh build/windows/message_view_bench.exe [HTML KB] [runs] [crafted characters]
#include "framework/ui_thread.h"
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

// The crafted mails of hostile_mail_bench.cpp, whole, with `n` characters
// of hostile text each.
std::vector<std::pair<const char*, std::string>> HostileMails(size_t n) {
    const std::string html = "MIME-Version: 1.0\r\nContent-Type: text/html\r\n\r\n";
    std::string heads;
    while (heads.size() < n)
        heads += "<head><body>";
    const std::string dashes(n, '-');
    return {{"html: text of \"&\"", html + std::string(n, '&')},
            {"html: attribute of \"&\"", html + "<a href=\"" + std::string(n, '&') + "\">"},
            {"html: \"<head><body>\" repeated", html + heads},
            {"mime: boundary as long as the body", "Content-Type: multipart/mixed; boundary=" + dashes +
                                                       "\n\n--" + dashes + "\n\nx" + dashes + dashes}};
}

void WriteMail(const std::string& path, const std::string& mail) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(mail.data(), 1, mail.size(), file);
        std::fclose(file);
    }
}

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct ViewTimes {
    double first, whole, longest;
};

// Opens the mail of `path` `runs` times: medians of the first screen and of
// the whole text, and the longest step of the window's thread. The mail is
// read and formatted off this thread, then handed to it through the queue.
ViewTimes TimeView(CWebBrowser2& browser, const std::string& path, int runs) {
    std::vector<double> firstTimes, wholeTimes;
    double longest = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        browser.Navigate("file://" + path);
        double first = -1;
        longest = std::max(longest, Since(start));
        MSG message;
        while (browser.IsLoading() && GetMessageA(&message, nullptr, 0, 0) > 0) {
            const auto step = Clock::now();
            DispatchMessageA(&message);
            longest = std::max(longest, Since(step));
            if (first < 0 && !browser.IsLoading())
                first = Since(start);
        }
        firstTimes.push_back(first < 0 ? Since(start) : first);
        wholeTimes.push_back(Since(start));
    }
    const auto median = [](std::vector<double>& times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    return {median(firstTimes), median(wholeTimes), longest};
}

} // namespace

int main(int argc, char** argv) {
    // Optional: the HTML size in KB, the number of runs and the characters
    // of each crafted mail, to see how the time grows.
    const size_t htmlKb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 900;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const size_t hostileSize = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 160000;
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string path = std::string(directory) + "tidemark-bench.eml";
    const std::string mail = BenchMail(htmlKb << 10);
    WriteMail(path, mail);
    CUiThread::Start(); // the background job reports here
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    CWebBrowser2 browser;
    if (!browser.Create(parent, RECT{0, 0, 780, 560})) {
        std::printf("the message view cannot be created\n");
        return 1;
    }
    const ViewTimes times = TimeView(browser, path, runs);
    std::printf(
        "message view of a %.1f MB mail (%.0f KB of HTML text shown, %zu attachment), median of %d runs: "
        "first screen %.0f ms, whole text %.0f ms, longest step of the window's thread %.0f ms\n",
        mail.size() / 1048576.0, GetWindowTextLengthW(browser.GetHandle()) / 1024.0,
        browser.Attachments().size(), runs, times.first, times.whole, times.longest);
    // The figures above leave painting out (the window is hidden): one screen
    // of the text, the first time (glyphs drawn for the first time) and after
    // a page down.
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    double paints[2];
    for (double& paint : paints) {
        const auto start = Clock::now();
        RedrawWindow(browser.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        paint = Since(start);
        SendMessageW(browser.GetHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    }
    std::printf("painting one screen of it: first %.0f ms, after a page down %.0f ms\n", paints[0],
                paints[1]);
    ShowWindow(parent, SW_HIDE);
    for (const auto& hostile : HostileMails(hostileSize)) {
        WriteMail(path, hostile.second);
        const ViewTimes crafted = TimeView(browser, path, runs);
        std::printf("%-36s whole text %4.0f ms, longest step %3.0f ms\n", hostile.first, crafted.whole,
                    crafted.longest);
    }
    DeleteFileA(path.c_str());
    DestroyWindow(parent);
    return 0;
}

// End-to-end push benchmark (run by tests/bench/imap_push_bench.sh, not a
// test): starts Tidemark (set up with one IMAP account) on its own desktop,
// delivers mails into the account's Maildir (written in tmp\, then moved
// into new\) and times each until its row is in the postman window's mail
// list; writes the figures to RESULT.
//   push_probe.exe PROGRAM MAILDIR DELIVERIES RESULT
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

BOOL CALLBACK FindMailList(HWND window, LPARAM found) {
    if (GetDlgCtrlID(window) != IDC_MAIL_LIST)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    const std::string maildir = argv[2];
    const int deliveries = std::atoi(argv[3]);
    HWND list = nullptr;
    for (int waited = 0; !list && waited < 30000; waited += 100, Sleep(100))
        if (HWND postman = FindWindowA("#32770", "Tidemark"))
            EnumChildWindows(postman, FindMailList, reinterpret_cast<LPARAM>(&list));
    if (!list)
        return 1;
    Sleep(3000); // the connection in IDLE
    std::vector<double> latencies;
    for (int i = 0; i < deliveries; ++i) {
        const std::string name = "probe" + std::to_string(i);
        const std::string text = "From: p@example.com\r\nTo: push@tidemark.test\r\nSubject: Probe " +
                                 std::to_string(i) + "\r\n\r\nNew.\r\n";
        FILE* file = std::fopen((maildir + "\\tmp\\" + name).c_str(), "wb");
        if (!file)
            return 1;
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        const int before = RowCount(list);
        const Clock::time_point delivered = Clock::now();
        MoveFileA((maildir + "\\tmp\\" + name).c_str(), (maildir + "\\new\\" + name).c_str());
        // The account's rows go and come back with the new one last.
        while (RowCount(list) != before + 1 && Clock::now() - delivered < std::chrono::seconds(10))
            Sleep(1);
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - delivered).count());
        Sleep(500);
    }
    std::sort(latencies.begin(), latencies.end());
    FILE* result = std::fopen(argv[4], "w");
    if (!result)
        return 1;
    std::fprintf(result, "delivery to the row in the list median %7.1f ms  worst %7.1f ms  (%d deliveries)\n",
                 latencies[latencies.size() / 2], latencies.back(), deliveries);
    std::fclose(result);
    TerminateProcess(process.hProcess, 0);
    return 0;
}

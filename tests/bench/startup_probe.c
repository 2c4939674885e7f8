/* Starts a tray program and measures it from inside Wine:
     startup_probe.exe PROGRAM WINDOW_CLASS RESULT_FILE
   Writes "startup_ms N" (from CreateProcess until the program's main window
   exists; both programs add their tray icon while that window is created,
   and fail to create it without one), then, after five idle seconds,
   "working_set_kb N" (Wine reports no private bytes; the benchmark script
   reads them on the Linux side), and closes the program with WM_CLOSE. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {0};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 1;
    HWND window = NULL;
    for (;;) {
        window = FindWindowA(argv[2], NULL);
        QueryPerformanceCounter(&now);
        if (window || (now.QuadPart - start.QuadPart) / frequency.QuadPart > 30)
            break;
        Sleep(1);
    }
    FILE* out = fopen(argv[3], "w");
    if (!out || !window)
        return 1;
    fprintf(out, "startup_ms %lld\n", (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
    Sleep(5000);
    PROCESS_MEMORY_COUNTERS memory = {0};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    fprintf(out, "working_set_kb %llu\n", (unsigned long long)memory.WorkingSetSize / 1024);
    fclose(out);
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    return 0;
}

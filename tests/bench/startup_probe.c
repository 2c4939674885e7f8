/* Starts a tray program and measures it from inside Wine:
     startup_probe.exe PROGRAM WINDOW_CLASS RESULT_FILE [CAPTION COMMAND]
   Writes "startup_ms N" (from CreateProcess until the program's main window
   exists; both programs add their tray icon while that window is created,
   and fail to create it without one). With CAPTION, it then waits for the
   dialog of that caption to show (the postman window after a check) and
   closes it with the command id COMMAND. After five idle seconds it writes
   "working_set_kb N" (Wine reports no private bytes; the benchmark script
   reads them on the Linux side meanwhile) and, two seconds later, closes the
   program with WM_CLOSE. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 6)
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
    fflush(out);
    if (argc == 6) {
        HWND dialog = NULL;
        for (int waited = 0; waited < 60000 && !(dialog && IsWindowVisible(dialog)); waited += 50, Sleep(50))
            dialog = FindWindowA("#32770", argv[4]);
        if (!dialog || !IsWindowVisible(dialog)) {
            fclose(out);
            PostMessageA(window, WM_CLOSE, 0, 0);
            return 1;
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(atoi(argv[5]), BN_CLICKED), 0);
        for (int waited = 0; waited < 10000 && IsWindowVisible(dialog); waited += 50)
            Sleep(50);
    }
    Sleep(5000);
    PROCESS_MEMORY_COUNTERS memory = {0};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    fprintf(out, "working_set_kb %llu\n", (unsigned long long)memory.WorkingSetSize / 1024);
    fclose(out);
    Sleep(2000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    return 0;
}

// Starts tidemark.exe (built beside the test program) and drives it from
// outside, as the shell and the user would.
#pragma once

#include <windows.h>

#include <string>

class CProgramProcess {
  public:
    CProgramProcess() = default;
    CProgramProcess(const CProgramProcess&) = delete;
    CProgramProcess& operator=(const CProgramProcess&) = delete;
    ~CProgramProcess();

    static std::string ExecutablePath();

    bool Start();
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD milliseconds);
    DWORD ExitCode() const;
    bool IsRunning() const;
    // The hidden main frame, once it exists (waits up to `milliseconds`).
    HWND WaitForMainFrame(DWORD milliseconds) const;
    // Asks the program to end the way its exit command does.
    void Close() const;

  private:
    PROCESS_INFORMATION info = {};
};

// Deletes the program's registry key (Software\Harrowby\Tidemark).
void ClearProgramSettings();

#include "program_process.h"

#include "window_test_support.h"

namespace {

struct FrameSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindFrame(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<FrameSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "TidemarkFrame") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

CProgramProcess::~CProgramProcess() {
    if (info.hProcess) {
        if (IsRunning()) {
            Close();
            if (!WaitForExit(10000))
                TerminateProcess(info.hProcess, 1);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

std::string CProgramProcess::ExecutablePath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + "tidemark.exe";
}

bool CProgramProcess::Start() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = "\"" + ExecutablePath() + "\"";
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info);
}

bool CProgramProcess::WaitForExit(DWORD milliseconds) {
    return WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0;
}

DWORD CProgramProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

bool CProgramProcess::IsRunning() const {
    return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND CProgramProcess::WaitForMainFrame(DWORD milliseconds) const {
    FrameSearch search = {info.dwProcessId, nullptr};
    PumpMessagesUntil(
        [&] {
            EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds);
    return search.found;
}

void CProgramProcess::Close() const {
    if (HWND frame = WaitForMainFrame(0))
        PostMessageA(frame, WM_CLOSE, 0, 0);
}

void ClearProgramSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Harrowby\\Tidemark");
}

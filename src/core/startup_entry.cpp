#include "core/startup_entry.h"

#include "base/registry_profile.h"

#include <windows.h>

const char startupEntryName[] = "Tidemark";

namespace {

const char runSection[] = "CurrentVersion\\Run";

CRegistryProfile RunKey() {
    return CRegistryProfile("Microsoft", "Windows");
}

std::string ThisProgram() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

} // namespace

std::string StartupCommand(const std::string& program) {
    return "\"" + program + "\"";
}

bool IsStartedWithWindows() {
    return !RunKey().GetString(runSection, startupEntryName, "").empty();
}

bool SetStartWithWindows(bool start, const std::string& program) {
    if (start) {
        std::string path = program.empty() ? ThisProgram() : program;
        return !path.empty() && RunKey().WriteString(runSection, startupEntryName, StartupCommand(path));
    }
    LSTATUS status =
        RegDeleteKeyValueA(HKEY_CURRENT_USER, RunKey().SectionPath(runSection).c_str(), startupEntryName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

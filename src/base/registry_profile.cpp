#include "base/registry_profile.h"

#include <utility>
#include <vector>

namespace {

class CRegKey {
  public:
    ~CRegKey() {
        if (key)
            RegCloseKey(key);
    }
    bool Open(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    }
    bool Create(const std::string& path) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS;
    }
    HKEY key = nullptr;
};

} // namespace

CRegistryProfile::CRegistryProfile(std::string company, std::string application)
    : company(std::move(company)), application(std::move(application)) {}

std::string CRegistryProfile::SectionPath(const std::string& section) const {
    std::string key = company.empty() ? "Software" : "Software\\" + company;
    return key + "\\" + application + "\\" + section;
}

int CRegistryProfile::GetInt(const std::string& section, const std::string& name, int def) {
    CRegKey reg;
    if (!reg.Open(SectionPath(section)))
        return def;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExA(reg.key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return def;
    return static_cast<int>(value);
}

std::string CRegistryProfile::GetString(const std::string& section, const std::string& name,
                                        const std::string& def) {
    CRegKey reg;
    if (!reg.Open(SectionPath(section)))
        return def;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(reg.key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > maxStringBytes)
        return def;
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(reg.key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return def;
    // The stored size may or may not count a terminator; the text ends at the
    // first NUL either way.
    return std::string(buffer.data());
}

bool CRegistryProfile::WriteInt(const std::string& section, const std::string& name, int value) {
    CRegKey reg;
    DWORD data = static_cast<DWORD>(value);
    return reg.Create(SectionPath(section)) &&
           RegSetValueExA(reg.key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

bool CRegistryProfile::WriteString(const std::string& section, const std::string& name,
                                   const std::string& value) {
    CRegKey reg;
    return reg.Create(SectionPath(section)) &&
           RegSetValueExA(reg.key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// Profile access in the current user's registry branch, below
// Software\<company>\<application>, the way the settings store expects it.
#pragma once

#include "base/profile.h"

#include <windows.h>

class CRegistryProfile : public CProfile {
  public:
    CRegistryProfile(std::string company, std::string application);

    int GetInt(const std::string& section, const std::string& name, int def) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& def) override;
    bool WriteInt(const std::string& section, const std::string& name, int value) override;
    bool WriteString(const std::string& section, const std::string& name, const std::string& value) override;

    // "Software\<company>\<application>\<section>"; without a company
    // "Software\<application>\<section>".
    std::string SectionPath(const std::string& section) const;

    // Longest string value read; anything longer is treated as missing so a
    // damaged value cannot make the program allocate without bound.
    static constexpr DWORD maxStringBytes = 64 * 1024;

  private:
    std::string company;
    std::string application;
};

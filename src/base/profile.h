// The four profile operations the settings store uses: integers are 32-bit
// DWORD values, texts string values, each in a section below the
// application's key. Implemented by the registry in the program and by a
// memory store in tests.
#pragma once

#include <string>

class CProfile {
  public:
    virtual ~CProfile() = default;
    // A value that is missing, of another type or unreadable gives `def`.
    virtual int GetInt(const std::string& section, const std::string& name, int def) = 0;
    virtual std::string GetString(const std::string& section, const std::string& name,
                                  const std::string& def) = 0;
    // Writes report success; the settings store ignores failures.
    virtual bool WriteInt(const std::string& section, const std::string& name, int value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
};

// A profile kept in memory, shaped like the registry: each value is either a
// DWORD or a string, and reading one as the other type gives the default.
#pragma once

#include "base/profile.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CMemoryProfile : public CProfile {
  public:
    struct Value {
        bool isInt = false;
        int number = 0;
        std::string text;
    };
    using Key = std::pair<std::string, std::string>;

    int GetInt(const std::string& section, const std::string& name, int def) override {
        asked.insert({section, name});
        auto it = values.find({section, name});
        return it != values.end() && it->second.isInt ? it->second.number : def;
    }
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& def) override {
        asked.insert({section, name});
        auto it = values.find({section, name});
        return it != values.end() && !it->second.isInt ? it->second.text : def;
    }
    bool WriteInt(const std::string& section, const std::string& name, int value) override {
        values[{section, name}] = Value{true, value, {}};
        written.push_back({section, name});
        return true;
    }
    bool WriteString(const std::string& section, const std::string& name, const std::string& value) override {
        // Like a registry string value, the text ends at its first NUL.
        values[{section, name}] = Value{false, 0, std::string(value.c_str())};
        written.push_back({section, name});
        return true;
    }

    bool Has(const std::string& section, const std::string& name) const {
        return values.count({section, name}) > 0;
    }

    std::map<Key, Value> values;
    std::set<Key> asked;      // every value read
    std::vector<Key> written; // in the order of the writes
};

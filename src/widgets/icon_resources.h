// Icon resources of this module, each loaded once when first asked for and
// destroyed together with the object (or by Clear), so their handles stay
// valid for as long as the owner shows them.
#pragma once

#include <windows.h>

#include <map>

class CIconResources {
  public:
    CIconResources() = default;
    CIconResources(const CIconResources&) = delete;
    CIconResources& operator=(const CIconResources&) = delete;
    ~CIconResources();

    // The icon resource `id` at its own size in default colours, or null when
    // the module has no such icon. The handle belongs to this object.
    HICON Load(UINT id);
    // Destroys every icon loaded so far; their handles become invalid.
    void Clear();

  private:
    std::map<UINT, HICON> icons;
};

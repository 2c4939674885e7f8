#include "widgets/icon_resources.h"

CIconResources::~CIconResources() {
    Clear();
}

void CIconResources::Clear() {
    for (const auto& loaded : icons)
        DestroyIcon(loaded.second);
    icons.clear();
}

HICON CIconResources::Load(UINT id) {
    // The map entry is made before loading, so a failed allocation cannot
    // lose a loaded handle.
    HICON& icon = icons[id];
    if (icon)
        return icon;
    // Not LR_SHARED: the handle is ours to destroy.
    icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (icon)
        return icon;
    icons.erase(id);
    return nullptr;
}

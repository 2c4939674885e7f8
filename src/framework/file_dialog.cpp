#include "framework/file_dialog.h"

#include "framework/ole_support.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {

// The dialogs want the pairs separated by NULs and ended by two.
std::string SystemFilter(const std::string& filter) {
    std::string pairs = filter;
    std::replace(pairs.begin(), pairs.end(), '|', '\0');
    pairs.append(2, '\0');
    return pairs;
}

std::string RunFileDialog(HWND owner, const std::string& filter, const std::string& initialName,
                          const std::string& defaultExtension, DWORD flags, bool save) {
    std::string pairs = SystemFilter(filter);
    // Room for a long path; the dialog fails rather than cut one.
    std::vector<char> path(32768, '\0');
    std::copy_n(initialName.begin(), std::min(initialName.size(), path.size() - 1), path.begin());
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = pairs.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    // The mail store and "mail.tmp" are relative to the current directory.
    dialog.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    StartOleSupport(); // the dialogs show the shell's folders
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(path.data()) : std::string();
}

} // namespace

std::string ChooseFileToOpen(HWND owner, const std::string& filter) {
    return RunFileDialog(owner, filter, "", "", OFN_FILEMUSTEXIST, false);
}

std::string ChooseFileToSave(HWND owner, const std::string& filter, const std::string& initialName,
                             const std::string& defaultExtension) {
    return RunFileDialog(owner, filter, initialName, defaultExtension, OFN_OVERWRITEPROMPT, true);
}

// The application object: one per program. Runs the program's start, the
// message loop (with keyboard handling for modeless dialogs) and its stop,
// and gives access to the registry profile below
// HKEY_CURRENT_USER\Software\<company>\<application name>.
#pragma once

#include "base/registry_profile.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CApplication {
  public:
    // The application name comes from string resource 57344.
    CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;
    virtual ~CApplication();

    static CApplication* Get() { return current; }
    // "Tidemark" when the string resource is missing, so texts never go blank.
    static std::string Name();

    // Runs the program: `start` (false skips the loop), the message loop,
    // then `stop`, which turns the loop's exit code into the program's.
    int Run(const std::function<bool()>& start, const std::function<int(int)>& stop);

    // The registry key is Software\<company>\<application name>; without a
    // call, Software\<application name>.
    void SetRegistryKey(const std::string& company);
    CProfile& Profile();

    HWND GetMainWindow() const { return mainWindow; }
    void SetMainWindow(HWND window) { mainWindow = window; }

    // Modeless dialogs get their Tab and Enter keys through the loop.
    void AddModelessDialog(HWND dialog);
    void RemoveModelessDialog(HWND dialog);

    // What the loop does with a message before dispatching it: the framework
    // windows' PreTranslateMessage, then the modeless dialogs' keyboard
    // handling. True when the message was consumed there.
    bool PreTranslateMessage(MSG& message);
    // One message of the loop, fetched as Unicode (GetMessageW or
    // PeekMessageW): PreTranslateMessage, then translation and dispatch.
    void HandleMessage(MSG& message);

  private:
    static CApplication* current;
    std::string appName;
    HWND mainWindow = nullptr;
    std::unique_ptr<CRegistryProfile> profile;
    std::vector<HWND> modelessDialogs;
};

// A string resource of this module in the ANSI code page, or "".
std::string LoadResourceString(UINT id);

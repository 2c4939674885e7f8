// The hidden main window. It owns the settings and everything the running
// program shares; the tray menu's commands come to it.
#pragma once

#include "app/settings.h"
#include "framework/frame_window.h"

#include <ctime>
#include <string>

class CMainFrame : public CFrameWindow {
  public:
    CMainFrame();
    ~CMainFrame() override;

    Settings& GetSettings() { return settings; }
    void SaveSettings();

    const std::string versionText = "4.7.0";

  protected:
    int OnCreate() override;
    void OnClose() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    Settings settings;
    std::time_t programStartTime = 0;
};

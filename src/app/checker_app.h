// The application object: one resident copy per user session.
#pragma once

#include "framework/application.h"

#include <memory>

class CMainFrame;

class CCheckerApp : public CApplication {
  public:
    CCheckerApp();
    ~CCheckerApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

  private:
    HANDLE instanceMutex = nullptr;
    std::unique_ptr<CMainFrame> mainFrame;
};

// Deletes the temporary .eml files of this and earlier runs ("TM*.eml" in
// the temporary-files directory); failures are ignored.
void DeleteTempMailFiles();

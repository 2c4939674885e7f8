// The application object: one resident copy per user session.
#pragma once

#include "framework/application.h"

#include <memory>

class CMainFrame;

class CCheckerApp : public CApplication {
  public:
    CCheckerApp();
    ~CCheckerApp() override;

    // Runs the program until the main frame closes; answers its exit code.
    int Run();

  private:
    // False ends the program before any window is shown.
    bool InitInstance();
    // Cleans up after the loop, whose exit code `loopCode` it answers.
    int ExitInstance(int loopCode);

    HANDLE instanceMutex = nullptr;
    std::unique_ptr<CMainFrame> mainFrame;
};

// Deletes the temporary .eml files of this and earlier runs ("TM*.eml" in
// the temporary-files directory); failures are ignored.
void DeleteTempMailFiles();

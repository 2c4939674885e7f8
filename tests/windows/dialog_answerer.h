// Answers the next dialog box of this process that has a given caption, as
// a user would: reads its text, then presses one of its buttons. Runs on a
// thread of its own so the code under test can block in its modal loop.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class CDialogAnswerer {
  public:
    // Waits up to `milliseconds` for the dialog and presses `buttonId` in it.
    CDialogAnswerer(std::string caption, int buttonId, DWORD milliseconds = 15000);
    ~CDialogAnswerer();

    // Joins the thread; true when a dialog was found and answered.
    bool Wait();
    // The texts of the answered dialog's static controls, joined by "\n".
    const std::string& GetText() const { return text; }

  private:
    void Watch();

    std::string caption;
    int buttonId;
    DWORD milliseconds;
    std::string text;
    std::atomic<bool> answered{false};
    std::thread watcher;
};

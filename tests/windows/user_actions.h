// Acts on this process's windows from a thread of its own, as a user would,
// while the thread under test sits in a modal loop: finds windows by their
// caption, clicks, types and reads. Clicks are posted, so one that opens a
// modal window never blocks the acting thread.
#pragma once

#include "window_test_support.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The visible dialogs of this process with `caption`.
std::vector<HWND> VisibleDialogs(const std::string& caption);
// A visible dialog of this process with `caption` other than the `ignored`
// ones, once it exists, or null after `milliseconds`.
HWND WaitForDialog(const std::string& caption, DWORD milliseconds = 10000,
                   const std::vector<HWND>& ignored = {});
// True once `window` is gone or hidden.
bool WaitUntilClosed(HWND window, DWORD milliseconds = 10000);

// Presses a button (or ticks a check box or radio button) with the mouse.
void Click(HWND dialog, int id);
// Replaces the text of an edit, or of a combo box's edit part, as typing would.
void Type(HWND dialog, int id, const std::string& text);
// Presses a key in control `id`, which first gets the keyboard focus.
void PressKey(HWND dialog, int id, UINT virtualKey);
std::string ControlText(HWND dialog, int id);
bool IsTicked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// A list view's rows as the mouse reaches them.
void ClickRow(HWND list, int row);
void DoubleClickRow(HWND list, int row);
void ClickRowCheckBox(HWND list, int row);
std::string RowText(HWND list, int row, int column);
int RowCount(HWND list);

// Runs `act` on a thread of its own. When it returns, the dialogs with one
// of `leftoverCaptions` that it left open are cancelled, innermost first, so
// the modal loop under test always ends.
class CUserThread {
  public:
    CUserThread(std::function<void()> act, std::vector<std::string> leftoverCaptions);
    ~CUserThread();
    // Waits for the thread while handling this thread's messages: the user
    // thread reads window texts, which this thread's windows answer.
    void Join();

  private:
    std::atomic<bool> done{false};
    std::thread thread;
};

// Acts on this process's windows as a user would: finds windows by their
// caption, clicks, points, types and reads, also from a thread of its own
// while the thread under test sits in a modal loop.
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

// How an action reaches its window. `Sent` returns once it is handled, so
// only after the modal window it opens has closed (answer that from another
// thread: CDialogAnswerer). `Posted` returns at once: the acting thread can
// then work in the modal window.
enum class Delivery { Sent, Posted };
// What the left mouse button does in PressOn.
enum class Press { Click, DoubleClick, Down, Up };

// Presses button `id` of `dialog` (or ticks a check box or radio button).
void ClickButton(HWND dialog, int id, Delivery delivery);
// The left mouse button at `point` of `window`, in client coordinates.
void PressOn(HWND window, POINT point, Delivery delivery, Press press = Press::Click);
// Moves the pointer to `point` of `window` with `keys` (MK_ bits) held. Sent.
void MoveOver(HWND window, POINT point, WPARAM keys = 0);
// Types `text` over all of an edit's (or a combo box's edit part's) text. Sent.
void TypeText(HWND dialog, int id, const std::string& text);
// Types `text` at the caret of `control` key by key, as Unicode characters
// the way a keyboard or an input method does. Posted.
void TypeKeys(HWND control, const std::wstring& text);
// Presses a key in control `id`, which first gets the keyboard focus.
void PressKey(HWND dialog, int id, UINT virtualKey);
std::string ControlText(HWND dialog, int id);
bool IsTicked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// A list view row's point for PressOn: its label, or its check box.
enum class RowPart { Label, CheckBox };
POINT RowPoint(HWND list, int row, RowPart part = RowPart::Label);
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

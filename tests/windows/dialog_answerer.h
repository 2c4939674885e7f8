// Answers the next dialog box of this process that has a given caption, as
// a user would: reads its text, then presses one of its buttons. Dialogs
// already shown when the answerer is made are not the next one. Runs on a
// thread of its own so the code under test can block in its modal loop.
#pragma once

#include "user_actions.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// A text typed into one of the dialog's controls before its button is pressed.
struct DialogField {
    int id;
    std::string text;
};

class CDialogAnswerer {
  public:
    // Waits up to `milliseconds` for the dialog, types the `fields` that it
    // has, and presses `buttonId` in it.
    CDialogAnswerer(std::string caption, int buttonId, DWORD milliseconds = 15000,
                    std::vector<DialogField> fields = {});

    // Waits for the answer while handling this thread's messages (the dialog
    // may need them to appear); true when a dialog was found and answered.
    bool Wait();
    // The texts of the answered dialog's static and edit controls, as found
    // before the fields were typed, joined by "\n".
    const std::string& GetText() const { return text; }

  private:
    void Watch();

    std::string caption;
    int buttonId;
    DWORD milliseconds;
    std::vector<DialogField> fields;
    std::vector<HWND> present; // shown before: never answered
    std::string text;
    std::atomic<bool> answered{false};
    CUserThread watcher; // last: starts once the rest is ready
};

// Presses `button` in the next box with `caption`; its text, or "" when none came.
std::string AnswerBox(const std::string& caption, int button);

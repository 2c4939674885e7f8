// Pairs dialog controls with members for CDialog::DoDataExchange. In the
// save direction a value that does not validate shows a message, puts the
// focus on its control and marks the exchange failed; later pairs are skipped.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CDialog;

class CDataExchange {
  public:
    CDataExchange(CDialog& dialog, bool saving) : dialog(dialog), saving(saving) {}

    bool IsSaving() const { return saving; }
    bool Failed() const { return failed; }

    // Edit text, exactly as typed.
    void Text(int id, std::string& value);
    // A decimal integer in an edit control; anything else fails to validate.
    void Int(int id, int& value);
    // The same, and it must lie within `minimum` … `maximum`.
    void Int(int id, int& value, int minimum, int maximum);
    // A check box: 1 checked, 0 not (an indeterminate state reads as 2).
    void Check(int id, int& value);
    // A group of radio buttons starting at `firstId` and running to the next
    // control with WS_GROUP: the index of the checked one, or -1.
    void Radio(int firstId, int& value);

    // The index of a combo box's selected entry, -1 for none.
    void ComboIndex(int id, int& value);
    // The lines of a list box, top to bottom.
    void ListTexts(int id, std::vector<std::string>& value);

    // Reports a value that does not validate (saving only).
    void Fail(int id, const std::string& message);

  private:
    HWND Control(int id) const;
    // A state a control reports with getMessage and takes as the wParam of setMessage.
    void ControlState(int id, int& value, UINT getMessage, UINT setMessage);
    // The integer typed into `id`, or false (and the exchange failed).
    bool ReadInt(int id, int& number);

    CDialog& dialog;
    bool saving;
    bool failed = false;
};

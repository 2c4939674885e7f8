// "등록 정보": edits one address-book entry, a name and an e-mail address.
// Used by the address book's add and properties buttons and by the mailbox
// page's "주소록에 추가".
#pragma once

#include "framework/dialog.h"

#include <string>

struct Settings;

class CAddressBookEntryDlg : public CDialog {
  public:
    // The fields start with `name` and `email`.
    explicit CAddressBookEntryDlg(const std::string& name = "", const std::string& email = "");

    // After OK: both trimmed of blanks at their ends, neither empty.
    std::string name;
    std::string email;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    // Trims both fields; closes only when neither is then empty, else says
    // so ("입력 에러") and stays open with the trimmed texts.
    void OnOK() override;
};

// Offers `name` and `email` in the entry dialog; on OK appends the entry as
// confirmed, unless the book already holds an entry with exactly that
// e-mail. True when an entry was appended.
bool AddToAddressBook(HWND owner, Settings& settings, const std::string& name, const std::string& email);

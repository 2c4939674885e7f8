// "주소록": the user's correspondents, edited in place, and a way to collect
// recipients for the quick-mail page by double-clicking entries.
//
// The buttons change the settings' address book at once, so Cancel keeps
// additions, deletions and edits; it only drops the recipients collected.
// Every command acts on the list's selection mark, the entry last selected.
#pragma once

#include "framework/dialog.h"
#include "framework/list_view.h"

#include <string>

struct Settings;

class CAddressBookDlg : public CDialog {
  public:
    explicit CAddressBookDlg(Settings& settings);

    // The recipients text: set it before DoModal, read it after IDOK.
    std::string recipients;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

  private:
    void OnAdd();
    void OnDelete();
    void OnProperties();
    // Appends the entry's address to the recipients unless they name it.
    void OnListDoubleClick();
    // The selection mark, or -1 after telling the user to select first.
    int SelectedEntry();

    Settings& settings;
    CListView list;
};

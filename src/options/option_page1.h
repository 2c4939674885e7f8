// "받는 메일": the POP3 accounts and the check interval. The page works on
// `workingServers`, its own copy of the account list: row i of the list
// always shows element i. Each row's check box holds whether the account
// is checked (`CheckYN`) while the page is open; Apply writes it.
#pragma once

#include "core/settings.h"
#include "framework/list_view.h"
#include "options/option_page.h"

#include <vector>

class COptionPage1 : public COptionPage {
  public:
    explicit COptionPage1(COptionRecord& record);

  protected:
    bool OnInitDialog() override;
    bool OnApply() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    void AddServer();
    void DeleteServer();
    void EditServer();
    // The marked row, or -1 after telling the user to choose one.
    int MarkedRow();

    CListView serverList;
    std::vector<ServerEntry> workingServers;
    int checkInterval = 0;
};

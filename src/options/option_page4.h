// "기타 환경": start-up behaviour, the command a double click on the tray
// icon runs, what the postman window's view button does, the mail client
// it runs (separate from each account's own client), the icon reset on
// launching a client, the program password, and whether the program
// starts with Windows (the Run key, not a setting of its own).
#pragma once

#include "options/option_page.h"

#include <string>

class COptionPage4 : public COptionPage {
  public:
    explicit COptionPage4(COptionRecord& record);

  protected:
    bool OnInitDialog() override;
    bool OnApply() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    // The client radio buttons work only while the view button runs a
    // client, and the path only for the "기타" client.
    void ApplyClientEnabling();
    void BrowseClient();

    int startCheck = 0;
    int startWithWindows = 0;
    int upgradeCheck = 0;
    int defaultItemChoice = -1; // radio index: "지금 메일 체크", "우체부 아저씨 보기"
    int viewChoice = 0;         // radio index: view window, mail client
    int clientChoice = -1;
    std::string clientPath;
    int iconInit = 0;
    int passwordYN = 0;
    std::string password;
};

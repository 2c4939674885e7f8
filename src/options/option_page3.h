// "스팸 메일": the sender filter switch, what happens to a filtered mail,
// and the list of sender addresses to filter. The page works on
// `workingSpamList`, its own copy of the list: entry i is line i of the
// list box.
#pragma once

#include "options/option_page.h"

#include <string>
#include <vector>

class COptionPage3 : public COptionPage {
  public:
    explicit COptionPage3(COptionRecord& record);

  protected:
    bool OnInitDialog() override;
    bool OnApply() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    void AddAddress();
    void DeleteAddress();
    // The method group, the list and its buttons work only while the filter is on.
    void ApplyEnablingRule();
    HWND List() const;

    std::vector<std::string> workingSpamList;
    std::vector<std::string> spamListSeen; // the program's list as the page last took it
    int filterOn = 0;
    int ignoreSpam = 0;
    int deleteSpam = 0;
};

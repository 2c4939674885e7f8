// "환경 설정": the modal property sheet in which the user edits every
// persistent setting, on four pages: incoming mail servers, outgoing mail,
// spam filter and other settings. The pages take their values from the
// settings as the sheet opens; OK and Apply write what the shown pages hold
// into a fresh copy of the settings of that moment and hand it on whole, so
// values that changed meanwhile elsewhere are kept: a check's marks (the
// accounts page takes them over by mailbox) and spam senders added from the
// mailbox (the spam page adds them to its list).
#pragma once

#include "options/option_page.h"

#include <functional>
#include <memory>

class COptionPage1;
class COptionPage2;
class COptionPage3;
class COptionPage4;

class COptionSheet : public CPropertySheet, public COptionRecord {
  public:
    // `current` must outlive the sheet; `apply` takes the record of every OK and Apply.
    COptionSheet(const Settings& current, std::function<void(const Settings&)> apply);
    ~COptionSheet() override;

    const Settings& Current() const override { return current; }
    Settings& Pending() override;

  protected:
    void OnInitSheet() override;
    void OnApplied(bool closing) override;

  private:
    const Settings& current;
    std::function<void(const Settings&)> apply;
    Settings pending;
    bool roundOpen = false;
    std::unique_ptr<COptionPage1> page1;
    std::unique_ptr<COptionPage2> page2;
    std::unique_ptr<COptionPage3> page3;
    std::unique_ptr<COptionPage4> page4;
};

// Runs the options sheet, asking the program password first when one is set.
// True once a sheet has been shown and closed, whatever closed it; false
// when the password was refused (nothing opened, nothing changed) or when a
// sheet is already open, which is then brought to the front.
bool OpenOptionSheet(const Settings& current, std::function<void(const Settings&)> apply);

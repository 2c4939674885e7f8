// What the four pages of the options sheet share: the record they read and
// write, and change marks that ignore the page's own filling of its
// controls (setting an edit's text notifies a change, which must not
// enable the sheet's Apply button by itself).
#pragma once

#include "core/settings.h"
#include "framework/property_sheet.h"

// What the pages read and write.
class COptionRecord {
  public:
    virtual ~COptionRecord() = default;
    // The settings as they are now; pages take their first values from here.
    virtual const Settings& Current() const = 0;
    // The record that an OK or Apply writes into: a copy of Current() taken
    // when the first page of the round writes.
    virtual Settings& Pending() = 0;
};

class COptionPage : public CPropertyPage {
  public:
    COptionPage(int templateId, COptionRecord& record) : CPropertyPage(templateId), record(record) {}

  protected:
    // Marks the page modified, unless the page is filling its controls.
    void MarkModified() {
        if (!filling)
            SetModified();
    }
    // Puts the values into the controls and reads them back, as a fresh
    // page does, without marking the page modified.
    void FillControls() {
        filling = true;
        UpdateData(false);
        filling = false;
        UpdateData(true);
    }

    COptionRecord& record;

  private:
    bool filling = false;
};

// The quick-mail tab of the postman window ("빠른 메일"). The composer's
// controls are not built yet: the page is an empty child dialog.
#pragma once

#include "postman/tab_page.h"

class CQuickMailPage : public CTabPage {
  public:
    CQuickMailPage();
};

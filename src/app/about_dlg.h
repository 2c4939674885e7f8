// "Tidemark 정보": the program's name and version, links to the maker's and
// the distributor's web sites, and the upgrade check. Clicking the picture
// opens the envelope.
#pragma once

#include "framework/dialog.h"
#include "widgets/static_link.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    CStaticLink homeLink;
    CStaticLink downloadLink;
};

// A beep, then the about box, modal over `owner`.
void ShowAboutBox(HWND owner);

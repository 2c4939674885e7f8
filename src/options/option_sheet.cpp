#include "options/option_sheet.h"

#include "options/option_page1.h"
#include "options/option_page2.h"
#include "options/option_page3.h"
#include "options/option_page4.h"
#include "options/password_dlg.h"

namespace {
// While the password prompt or the sheet is up, the tray opens no second one.
bool optionsOpen = false;
HWND openSheet = nullptr;
} // namespace

COptionSheet::COptionSheet(const Settings& current, std::function<void(const Settings&)> apply)
    : CPropertySheet("환경 설정"), current(current), apply(std::move(apply)),
      page1(std::make_unique<COptionPage1>(*this)), page2(std::make_unique<COptionPage2>(*this)),
      page3(std::make_unique<COptionPage3>(*this)), page4(std::make_unique<COptionPage4>(*this)) {
    AddPage(*page1);
    AddPage(*page2);
    AddPage(*page3);
    AddPage(*page4);
}

COptionSheet::~COptionSheet() = default;

Settings& COptionSheet::Pending() {
    if (!roundOpen) {
        pending = current;
        roundOpen = true;
    }
    return pending;
}

void COptionSheet::OnInitSheet() {
    openSheet = handle;
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CenterOnWorkArea();
}

void COptionSheet::OnApplied(bool) {
    if (!roundOpen)
        return;
    roundOpen = false;
    apply(pending);
}

bool OpenOptionSheet(const Settings& current, std::function<void(const Settings&)> apply) {
    if (optionsOpen) {
        if (openSheet)
            SetForegroundWindow(openSheet);
        return false;
    }
    optionsOpen = true;
    bool shown = AskProgramPassword(current, nullptr);
    if (shown) {
        COptionSheet sheet(current, std::move(apply));
        sheet.DoModal(nullptr);
    }
    optionsOpen = false;
    openSheet = nullptr;
    return shown;
}

#include "dialog_answerer.h"
#include "framework/data_exchange.h"
#include "framework/property_sheet.h"
#include "test_dialogs.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <vector>

namespace {

constexpr int applyButtonId = 0x3021; // the sheet's own Apply button

// A page that edits one stored value through a working copy, as the option
// pages do; `applied` counts its commits.
class CNumberPage : public CPropertyPage {
  public:
    explicit CNumberPage(int& stored) : CPropertyPage(IDD_TEST_PAGE_NUMBER), stored(stored), number(stored) {}

    int& stored;
    int number;
    int applied = 0;

  protected:
    void DoDataExchange(CDataExchange& dx) override { dx.Int(IDC_TEST_PAGE_NUMBER, number, 1, 1440); }
    bool OnCommand(int id, int code, HWND) override {
        if (id == IDC_TEST_PAGE_NUMBER && code == EN_CHANGE)
            SetModified();
        return id == IDC_TEST_PAGE_NUMBER;
    }
    bool OnApply() override {
        stored = number;
        ++applied;
        return CPropertyPage::OnApply();
    }
};

class CCheckPage : public CPropertyPage {
  public:
    CCheckPage() : CPropertyPage(IDD_TEST_PAGE_CHECK) {}
    int applied = 0;

  protected:
    bool OnApply() override {
        ++applied;
        return CPropertyPage::OnApply();
    }
};

// The two pages in a sheet; `act` runs once the sheet is up, as the user
// would act on it.
class CTestSheet : public CPropertySheet {
  public:
    explicit CTestSheet(int& stored) : CPropertySheet("Options"), numberPage(stored) {
        AddPage(numberPage);
        AddPage(checkPage);
    }

    CNumberPage numberPage;
    CCheckPage checkPage;
    std::vector<bool> rounds; // OnApplied's `closing`, in order
    std::function<void(CTestSheet&)> act;

    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(handle, applyButtonId)) != FALSE; }
    // The sheet takes a pressed button in its own time: the messages already queued run first.
    void Press(int button) {
        PropSheet_PressButton(handle, button);
        PumpMessages();
    }

  protected:
    void OnInitSheet() override { PostMessageA(handle, WM_APP, 0, 0); }
    void OnApplied(bool closing) override { rounds.push_back(closing); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP && act) {
            act(*this);
            return 0;
        }
        return CPropertySheet::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(PropertySheets, APageWithAValueOutOfRangeCannotBeLeft) {
    int stored = 10;
    CTestSheet sheet(stored);
    std::string warning;
    bool leftWithBadValue = true, leftWithGoodValue = false;
    sheet.act = [&](CTestSheet& s) {
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "0");
        CDialogAnswerer answerer("Tidemark", IDOK);
        leftWithBadValue = s.SetActiveIndex(1);
        answerer.Wait();
        warning = answerer.GetText();
        EXPECT_EQ(s.GetActiveIndex(), 0);

        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "30");
        leftWithGoodValue = s.SetActiveIndex(1);
        EXPECT_EQ(s.GetActiveIndex(), 1);
        s.Press(PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.DoModal(nullptr), IDCANCEL);
    EXPECT_FALSE(leftWithBadValue);
    EXPECT_EQ(warning, "1에서 1440 사이의 정수를 입력하십시오.");
    EXPECT_TRUE(leftWithGoodValue);
    EXPECT_EQ(sheet.numberPage.number, 30);
    EXPECT_EQ(stored, 10) << "nothing is written without OK or Apply";
    EXPECT_EQ(sheet.numberPage.applied, 0);
}

TEST(PropertySheets, ApplyWritesOnlyShownPagesAndOkClosesWithIdok) {
    int stored = 10;
    CTestSheet sheet(stored);
    bool enabledAtStart = true, enabledAfterTyping = false, enabledAfterApply = true;
    int storedBeforeApply = 0, storedAfterApply = 0;
    sheet.act = [&](CTestSheet& s) {
        enabledAtStart = s.ApplyEnabled();
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "90");
        enabledAfterTyping = s.ApplyEnabled() && s.numberPage.IsModified();
        storedBeforeApply = stored;
        s.Press(PSBTN_APPLYNOW);
        storedAfterApply = stored;
        enabledAfterApply = s.ApplyEnabled() || s.numberPage.IsModified();
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "91");
        s.Press(PSBTN_OK);
    };
    EXPECT_EQ(sheet.DoModal(nullptr), IDOK);
    EXPECT_FALSE(enabledAtStart);
    EXPECT_TRUE(enabledAfterTyping);
    EXPECT_EQ(storedBeforeApply, 10);
    EXPECT_EQ(storedAfterApply, 90);
    EXPECT_FALSE(enabledAfterApply);
    EXPECT_EQ(stored, 91);
    EXPECT_EQ(sheet.numberPage.applied, 2);
    EXPECT_EQ(sheet.checkPage.applied, 0) << "a page never shown is never applied";
    EXPECT_EQ(sheet.rounds, (std::vector<bool>{false, true}));
}

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

// A page that counts its commits.
class CCountingPage : public CPropertyPage {
  public:
    using CPropertyPage::CPropertyPage;
    int applied = 0;

  protected:
    bool OnApply() override {
        ++applied;
        return CPropertyPage::OnApply();
    }
};

// Edits one stored value through a working copy, as the option pages do.
class CNumberPage : public CCountingPage {
  public:
    explicit CNumberPage(int& stored) : CCountingPage(IDD_TEST_PAGE_NUMBER), stored(stored), number(stored) {}
    int& stored;
    int number;

  protected:
    void DoDataExchange(CDataExchange& dx) override { dx.Int(IDC_TEST_PAGE_NUMBER, number, 1, 1440); }
    bool OnCommand(int id, int code, HWND) override {
        if (id == IDC_TEST_PAGE_NUMBER && code == EN_CHANGE)
            SetModified();
        return id == IDC_TEST_PAGE_NUMBER;
    }
    bool OnApply() override {
        stored = number;
        return CCountingPage::OnApply();
    }
};

// The two pages in a sheet; `act` runs once the sheet is up, as the user
// would act on it.
class CTestSheet : public CPropertySheet {
  public:
    explicit CTestSheet(int& stored)
        : CPropertySheet("Options"), numberPage(stored), checkPage(IDD_TEST_PAGE_CHECK) {
        AddPage(numberPage);
        AddPage(checkPage);
    }

    CNumberPage numberPage;
    CCountingPage checkPage;
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
    sheet.act = [&](CTestSheet& s) {
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "0");
        CDialogAnswerer answerer("Tidemark", IDOK);
        EXPECT_FALSE(s.SetActiveIndex(1));
        answerer.Wait();
        warning = answerer.GetText();
        EXPECT_EQ(s.GetActiveIndex(), 0);

        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "30");
        EXPECT_TRUE(s.SetActiveIndex(1));
        EXPECT_EQ(s.GetActiveIndex(), 1);
        s.Press(PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(warning, "1에서 1440 사이의 정수를 입력하십시오.");
    EXPECT_EQ(sheet.numberPage.number, 30);
    EXPECT_EQ(stored, 10) << "nothing is written without OK or Apply";
    EXPECT_EQ(sheet.numberPage.applied, 0);
}

TEST(PropertySheets, ApplyWritesOnlyShownPagesAndOkClosesWithIdok) {
    int stored = 10;
    CTestSheet sheet(stored);
    sheet.act = [&](CTestSheet& s) {
        EXPECT_FALSE(s.ApplyEnabled()) << "filling the controls is no change";
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "90");
        EXPECT_TRUE(s.ApplyEnabled() && s.numberPage.IsModified());
        EXPECT_EQ(stored, 10);
        s.Press(PSBTN_APPLYNOW);
        EXPECT_EQ(stored, 90);
        EXPECT_FALSE(s.ApplyEnabled() || s.numberPage.IsModified());
        s.numberPage.SetItemText(IDC_TEST_PAGE_NUMBER, "91");
        s.Press(PSBTN_OK);
    };
    EXPECT_EQ(sheet.DoModal(nullptr), IDOK);
    EXPECT_EQ(stored, 91);
    EXPECT_EQ(sheet.numberPage.applied, 2);
    EXPECT_EQ(sheet.checkPage.applied, 0) << "a page never shown is never applied";
    EXPECT_EQ(sheet.rounds, (std::vector<bool>{false, true}));
}

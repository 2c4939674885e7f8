#include "dialog_answerer.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/ui_thread.h"
#include "test_dialogs.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// A form whose fields are exchanged with its controls; `act` runs once the
// dialog is up, as the user would act on it.
class CTestForm : public CDialog {
  public:
    CTestForm() : CDialog(IDD_TEST_FORM) {}

    std::string name = "홍길동";
    int number = 42;
    int checked = 1;
    int choice = 1;
    std::function<void(CTestForm&)> act;

  protected:
    void DoDataExchange(CDataExchange& dx) override {
        dx.Text(IDC_TEST_NAME, name);
        dx.Int(IDC_TEST_NUMBER, number);
        dx.Check(IDC_TEST_CHECK, checked);
        dx.Radio(IDC_TEST_RADIO_A, choice);
    }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        if (act)
            PostMessageA(handle, WM_APP, 0, 0);
        return true;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            act(*this);
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

void Click(CTestForm& form, int id) {
    SendMessageA(form.GetItem(id), BM_CLICK, 0, 0);
}

} // namespace

TEST(DialogDataExchange, ControlsShowTheMembersAndOkReadsThemBack) {
    CTestForm form;
    std::string shownName, shownNumber;
    bool radioBShown = false, afterUntouched = false;
    form.act = [&](CTestForm& f) {
        shownName = f.GetItemText(IDC_TEST_NAME);
        shownNumber = f.GetItemText(IDC_TEST_NUMBER);
        radioBShown = SendMessageA(f.GetItem(IDC_TEST_RADIO_B), BM_GETCHECK, 0, 0) == BST_CHECKED;
        afterUntouched = SendMessageA(f.GetItem(IDC_TEST_AFTER), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
        f.SetItemText(IDC_TEST_NAME, "김철수");
        f.SetItemText(IDC_TEST_NUMBER, " -17 ");
        SendMessageA(f.GetItem(IDC_TEST_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(f.GetItem(IDC_TEST_RADIO_B), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(f.GetItem(IDC_TEST_RADIO_C), BM_SETCHECK, BST_CHECKED, 0);
        Click(f, IDOK);
    };
    EXPECT_EQ(form.DoModal(nullptr), IDOK);
    EXPECT_EQ(shownName, "홍길동");
    EXPECT_EQ(shownNumber, "42");
    EXPECT_TRUE(radioBShown);
    EXPECT_TRUE(afterUntouched);
    EXPECT_EQ(form.name, "김철수");
    EXPECT_EQ(form.number, -17);
    EXPECT_EQ(form.checked, 0);
    EXPECT_EQ(form.choice, 2);
}

TEST(DialogDataExchange, ANumberThatDoesNotParseKeepsTheDialogOpen) {
    CTestForm form;
    int attempts = 0;
    std::string warning;
    form.act = [&](CTestForm& f) {
        f.SetItemText(IDC_TEST_NUMBER, "12a");
        CDialogAnswerer answerer("Tidemark", IDOK);
        Click(f, IDOK); // the warning box runs its own loop until answered
        answerer.Wait();
        warning = answerer.GetText();
        ++attempts;
        EXPECT_EQ(GetFocus(), f.GetItem(IDC_TEST_NUMBER));
        Click(f, IDCANCEL);
    };
    EXPECT_EQ(form.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(warning, "정수를 입력하십시오.");
    EXPECT_EQ(form.number, 42);
}

TEST(DialogDataExchange, NumbersBeyondThirtyTwoBitsAreRefused) {
    CTestForm form;
    form.act = [&](CTestForm& f) {
        f.SetItemText(IDC_TEST_NUMBER, "4294967296");
        CDialogAnswerer answerer("Tidemark", IDOK);
        Click(f, IDOK);
        answerer.Wait();
        Click(f, IDCANCEL);
    };
    form.DoModal(nullptr);
    EXPECT_EQ(form.number, 42);
}

TEST(UiThread, WorkFromAWorkerRunsOnTheUserInterfaceThreadInOrder) {
    DWORD uiThread = GetCurrentThreadId();
    std::vector<DWORD> ranOn;
    std::vector<int> order;
    bool done = false;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            CUiThread::Run([&, i] {
                ranOn.push_back(GetCurrentThreadId());
                order.push_back(i);
            });
        CUiThread::Post([&] { done = true; });
    });
    // The user-interface thread keeps pumping, as its message loop does.
    PumpMessagesUntil([&] { return done; });
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    for (DWORD id : ranOn)
        EXPECT_EQ(id, uiThread);
}

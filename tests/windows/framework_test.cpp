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
    int comboIndex = 1;
    std::vector<std::string> lines = {"가", "나다"};
    bool ranged = false;
    UINT_PTR timerSeen = 0;
    bool controlsAtDestroy = false;
    std::function<void(CTestForm&)> act;

  protected:
    void DoDataExchange(CDataExchange& dx) override {
        dx.Text(IDC_TEST_NAME, name);
        if (ranged)
            dx.Int(IDC_TEST_NUMBER, number, 1, 1440);
        else
            dx.Int(IDC_TEST_NUMBER, number);
        dx.ComboIndex(IDC_TEST_COMBO, comboIndex);
        dx.ListTexts(IDC_TEST_LIST, lines);
        dx.Check(IDC_TEST_CHECK, checked);
        dx.Radio(IDC_TEST_RADIO_A, choice);
    }
    bool OnInitDialog() override {
        for (const char* entry : {"하나", "둘", "셋"})
            SendMessageA(GetItem(IDC_TEST_COMBO), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
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
    void OnTimer(UINT_PTR id) override {
        KillTimer(handle, id);
        timerSeen = id;
        EndDialog(IDABORT);
    }
    void OnDestroy() override { controlsAtDestroy = GetItem(IDC_TEST_NAME) != nullptr; }
};

// Runs `form` with a number typed in that does not validate, answers the
// warning and cancels; returns the warning's text.
std::string WarningForNumber(CTestForm& form, const std::string& typed) {
    std::string warning;
    form.act = [&](CTestForm& f) {
        f.SetItemText(IDC_TEST_NUMBER, typed);
        CDialogAnswerer answerer("Tidemark", IDOK);
        ClickButton(f.GetHandle(), IDOK, Delivery::Sent); // the warning runs its own loop until answered
        answerer.Wait();
        warning = answerer.GetText();
        EXPECT_EQ(GetFocus(), f.GetItem(IDC_TEST_NUMBER));
        ClickButton(f.GetHandle(), IDCANCEL, Delivery::Sent);
    };
    EXPECT_EQ(form.DoModal(nullptr), IDCANCEL);
    return warning;
}

} // namespace

TEST(DialogDataExchange, ControlsShowTheMembersAndOkReadsThemBack) {
    CTestForm form;
    std::string shownName, shownNumber;
    bool radioBShown = false, afterUntouched = false;
    int comboShown = -1, linesShown = 0;
    form.act = [&](CTestForm& f) {
        shownName = f.GetItemText(IDC_TEST_NAME);
        shownNumber = f.GetItemText(IDC_TEST_NUMBER);
        radioBShown = SendMessageA(f.GetItem(IDC_TEST_RADIO_B), BM_GETCHECK, 0, 0) == BST_CHECKED;
        afterUntouched = SendMessageA(f.GetItem(IDC_TEST_AFTER), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
        comboShown = static_cast<int>(SendMessageA(f.GetItem(IDC_TEST_COMBO), CB_GETCURSEL, 0, 0));
        linesShown = static_cast<int>(SendMessageA(f.GetItem(IDC_TEST_LIST), LB_GETCOUNT, 0, 0));
        SendMessageA(f.GetItem(IDC_TEST_COMBO), CB_SETCURSEL, 2, 0);
        SendMessageA(f.GetItem(IDC_TEST_LIST), LB_DELETESTRING, 0, 0);
        SendMessageA(f.GetItem(IDC_TEST_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("라"));
        f.SetItemText(IDC_TEST_NAME, "김철수");
        f.SetItemText(IDC_TEST_NUMBER, " -17 ");
        SendMessageA(f.GetItem(IDC_TEST_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(f.GetItem(IDC_TEST_RADIO_B), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(f.GetItem(IDC_TEST_RADIO_C), BM_SETCHECK, BST_CHECKED, 0);
        ClickButton(f.GetHandle(), IDOK, Delivery::Sent);
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
    EXPECT_EQ(comboShown, 1);
    EXPECT_EQ(linesShown, 2);
    EXPECT_EQ(form.comboIndex, 2);
    EXPECT_EQ(form.lines, (std::vector<std::string>{"나다", "라"}));
}

TEST(DialogDataExchange, ANumberThatDoesNotValidateKeepsTheDialogOpenWithItsWarning) {
    struct Case {
        bool ranged;
        const char* typed;
        const char* warning;
    } cases[] = {
        {false, "12a", "정수를 입력하십시오."},
        {false, "4294967296", "정수를 입력하십시오."},
        {true, "", "정수를 입력하십시오."},
        {true, "0", "1에서 1440 사이의 정수를 입력하십시오."},
        {true, "1441", "1에서 1440 사이의 정수를 입력하십시오."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CTestForm form;
        form.ranged = c.ranged;
        EXPECT_EQ(WarningForNumber(form, c.typed), c.warning);
        EXPECT_EQ(form.number, 42);
    }
}

TEST(DialogMessages, TimerAndDestroyReachTheDialog) {
    CTestForm form;
    form.act = [](CTestForm& f) { SetTimer(f.GetHandle(), 7, 10, nullptr); };
    EXPECT_EQ(form.DoModal(nullptr), IDABORT);
    EXPECT_EQ(form.timerSeen, 7u);
    EXPECT_TRUE(form.controlsAtDestroy);
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

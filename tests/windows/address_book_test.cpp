// The address book and its entry dialog, driven as a user would. The book
// runs modeless on the test's thread for the editing rules, and modally from
// the quick-mail page for what OK and Cancel hand back.
#include "postman/address_book_dlg.h"

#include "app/main_frame.h"
#include "core/settings.h"
#include "dialog_answerer.h"
#include "framework/list_view.h"
#include "postman/address_book_entry_dlg.h"
#include "postman/postman_dlg.h"
#include "postman/quick_mail_page.h"
#include "resource.h"
#include "user_actions.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

namespace {
const char entryCaption[] = "등록 정보";

std::vector<DialogField> EntryFields(const std::string& name, const std::string& email) {
    return {{IDC_ENTRY_NAME, name}, {IDC_ENTRY_EMAIL, email}};
}

class AddressBookTest : public testing::Test {
  protected:
    AddressBookTest() : book(settings) {
        settings.addressBook = {{"홍길동", "aa@x.kr"}, {"김철수", "a@x.kr"}};
        book.recipients = "aa@x.kr";
        book.Create(host.GetHandle());
        ShowWindow(book.GetHandle(), SW_SHOW);
    }

    HWND Item(int id) { return GetDlgItem(book.GetHandle(), id); }
    HWND List() { return Item(IDC_ADDRESS_LIST); }
    CListView Rows() { return CListView(List()); }

    Settings settings;
    CTestHost host;
    CAddressBookDlg book;
};
} // namespace

TEST_F(AddressBookTest, ShowsTheBookAndCollectsWholeAddressesOnce) {
    ASSERT_EQ(Rows().GetCount(), 2);
    EXPECT_EQ(Rows().GetText(0, 0), "홍길동");
    EXPECT_EQ(Rows().GetText(1, 1), "a@x.kr");
    EXPECT_EQ(WindowText(Item(IDC_RECIPIENTS)), "aa@x.kr");

    PressOn(List(), RowPoint(List(), 1), Delivery::Posted, Press::DoubleClick);
    PumpMessages();
    EXPECT_EQ(WindowText(Item(IDC_RECIPIENTS)), "aa@x.kr; a@x.kr") << "a@x.kr is not aa@x.kr";
    PressOn(List(), RowPoint(List(), 1), Delivery::Posted, Press::DoubleClick);
    PressOn(List(), RowPoint(List(), 0), Delivery::Posted, Press::DoubleClick);
    PumpMessages();
    EXPECT_EQ(WindowText(Item(IDC_RECIPIENTS)), "aa@x.kr; a@x.kr");
    EXPECT_EQ(book.recipients, "aa@x.kr; a@x.kr");
}

TEST_F(AddressBookTest, AddsTrimmedEntriesAndRefusesEmptyOnes) {
    {
        CDialogAnswerer entry(entryCaption, IDOK, 15000, EntryFields("  이영희 ", " a@x.kr\t"));
        ClickButton(book.GetHandle(), IDC_ADDRESS_ADD, Delivery::Sent);
        ASSERT_TRUE(entry.Wait());
    }
    ASSERT_EQ(settings.addressBook.size(), 3u);
    EXPECT_EQ(settings.addressBook[2].displayName, "이영희");
    EXPECT_EQ(settings.addressBook[2].address, "a@x.kr") << "the book allows a second entry for an address";
    EXPECT_EQ(Rows().GetText(2, 0), "이영희");

    // A blank name is refused with the input message; the dialog stays open
    // with the trimmed texts until it is cancelled.
    CDialogAnswerer entry(entryCaption, IDOK, 15000, EntryFields("   ", " b@x.kr "));
    CDialogAnswerer refusal("입력 에러", IDOK);
    std::string stayedName, stayedEmail;
    std::thread user([&] {
        refusal.Wait();
        // The entry dialog takes input again once the message box is gone.
        HWND dialog = WaitForDialog(entryCaption);
        PumpMessagesUntil([&] { return IsWindowEnabled(dialog) != FALSE; });
        stayedName = WindowText(GetDlgItem(dialog, IDC_ENTRY_NAME));
        stayedEmail = WindowText(GetDlgItem(dialog, IDC_ENTRY_EMAIL));
        ClickButton(dialog, IDCANCEL, Delivery::Posted);
    });
    ClickButton(book.GetHandle(), IDC_ADDRESS_ADD, Delivery::Sent);
    user.join();
    EXPECT_TRUE(entry.Wait());
    EXPECT_EQ(refusal.GetText(), "이름과 E-mail 주소를 모두 입력하시기 바랍니다.");
    EXPECT_EQ(stayedName, "");
    EXPECT_EQ(stayedEmail, "b@x.kr");
    EXPECT_EQ(settings.addressBook.size(), 3u);
}

TEST_F(AddressBookTest, DeletesAndEditsTheMarkedEntryOnly) {
    CDialogAnswerer noSelection("선택 에러", IDOK);
    ClickButton(book.GetHandle(), IDC_ADDRESS_DELETE, Delivery::Sent);
    ASSERT_TRUE(noSelection.Wait());
    EXPECT_EQ(noSelection.GetText(), "주소를 먼저 선택 하십시요.");

    Rows().SelectRow(1);
    CDialogAnswerer keep("Tidemark", IDNO);
    ClickButton(book.GetHandle(), IDC_ADDRESS_DELETE, Delivery::Sent);
    ASSERT_TRUE(keep.Wait());
    EXPECT_EQ(keep.GetText(), "김철수을(를) 삭제 하시겠습니까?");
    EXPECT_EQ(settings.addressBook.size(), 2u);

    CDialogAnswerer edit(entryCaption, IDOK, 15000, EntryFields("김영수", "kim@x.kr"));
    ClickButton(book.GetHandle(), IDC_ADDRESS_PROPERTIES, Delivery::Sent);
    ASSERT_TRUE(edit.Wait());
    EXPECT_NE(edit.GetText().find("김철수\nE-mail :\na@x.kr"), std::string::npos) << edit.GetText();
    EXPECT_EQ(settings.addressBook[1].address, "kim@x.kr");
    EXPECT_EQ(Rows().GetText(1, 0), "김영수");

    for (int row : {1, 0}) {
        Rows().SelectRow(row);
        CDialogAnswerer remove("Tidemark", IDYES);
        ClickButton(book.GetHandle(), IDC_ADDRESS_DELETE, Delivery::Sent);
        ASSERT_TRUE(remove.Wait());
    }
    EXPECT_TRUE(settings.addressBook.empty());
    EXPECT_EQ(Rows().GetCount(), 0);
}

TEST(AddressBookEntryPoint, AddsASenderUnlessTheBookHoldsItsAddress) {
    Settings settings;
    settings.addressBook = {{"홍길동", "hong@x.kr"}};
    CTestHost host;
    {
        CDialogAnswerer entry(entryCaption, IDOK);
        EXPECT_FALSE(AddToAddressBook(host.GetHandle(), settings, "다른 이름", "hong@x.kr"));
        EXPECT_TRUE(entry.Wait());
    }
    {
        CDialogAnswerer entry(entryCaption, IDOK);
        EXPECT_TRUE(AddToAddressBook(host.GetHandle(), settings, "Hong", "HONG@x.kr"));
        EXPECT_TRUE(entry.Wait());
        EXPECT_NE(entry.GetText().find("Hong\nE-mail :\nHONG@x.kr"), std::string::npos) << entry.GetText();
    }
    ASSERT_EQ(settings.addressBook.size(), 2u);
}

// From the quick-mail page: OK hands the collected recipients over; Cancel
// drops them but keeps what was added to the book.
TEST(AddressBookFromQuickMail, OkTakesTheRecipientsAndCancelKeepsTheBooksEdits) {
    CMainFrame frame;
    Settings& settings = frame.GetSettings();
    settings.addressBook = {{"김철수", "kim@x.kr"}};
    CQuickMailPage& page = frame.GetPostmanWindow().GetQuickMailPage();
    HWND recipients = GetDlgItem(page.GetHandle(), IDC_RECIPIENTS);
    SetWindowTextA(recipients, "lee@x.kr");

    auto run = [&](int button, bool addEntry) {
        std::thread user([&] {
            HWND dialog = WaitForDialog("주소록");
            if (addEntry) {
                CDialogAnswerer entry(entryCaption, IDOK, 15000, EntryFields("박영희", "park@x.kr"));
                ClickButton(dialog, IDC_ADDRESS_ADD, Delivery::Posted);
                entry.Wait();
            }
            HWND list = GetDlgItem(dialog, IDC_ADDRESS_LIST);
            PressOn(list, RowPoint(list, 0), Delivery::Posted, Press::DoubleClick);
            ClickButton(dialog, button, Delivery::Posted);
        });
        ClickButton(page.GetHandle(), IDC_ADDRESS_BOOK, Delivery::Sent);
        user.join();
    };
    run(IDCANCEL, true);
    EXPECT_EQ(WindowText(recipients), "lee@x.kr");
    ASSERT_EQ(settings.addressBook.size(), 2u);
    EXPECT_EQ(settings.addressBook[1].address, "park@x.kr");

    run(IDOK, false);
    EXPECT_EQ(WindowText(recipients), "lee@x.kr; kim@x.kr");
}

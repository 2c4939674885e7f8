// Pictures of every window of the program, for docs/screens. Disabled in the
// suite: scripts/screens.sh runs it on a Wine desktop at each DPI, with
// TIDEMARK_SCREENS naming the folder that gets one .bmp per window.
#include "app/about_dlg.h"
#include "framework/list_view.h"
#include "framework/message_box.h"
#include "option_sheet_driver.h"
#include "options/password_dlg.h"
#include "postman/address_book_dlg.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr UINT trayCallbackMessage = 32778;
constexpr DWORD paintTime = 600;

// Copies what the screen shows of `window` into `name`.bmp.
void SaveScreen(HWND window, const std::string& name) {
    const char* folder = std::getenv("TIDEMARK_SCREENS");
    ASSERT_TRUE(folder && window) << name;
    Sleep(paintTime);
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up rows, as a .bmp file keeps them
    header.biPlanes = 1;
    header.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD size = ((width * 3 + 3) & ~3) * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4d42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + size;
    if (FILE* out = std::fopen((std::string(folder) + "\\" + name + ".bmp").c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Photographs the window with `caption` once it opens, then closes it with `button`.
void SaveDialog(const std::string& caption, const std::string& name, int button = IDCANCEL) {
    HWND dialog = WaitForDialog(caption);
    SaveScreen(dialog, name);
    ClickButton(dialog, button, Delivery::Posted);
    WaitUntilClosed(dialog);
}

class DISABLED_ScreensTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        profile.WriteInt("POP3", "ServerNumber", 1);
        profile.WriteString(ServerSection(0), "Name", "회사 메일");
        profile.WriteString(ServerSection(0), "Address", "pop.example.co.kr");
        profile.WriteString(ServerSection(0), "ID", "gildong");
        profile.WriteInt(ServerSection(0), "Notify", 9);
        profile.WriteInt(ServerSection(0), "MailClient", 1);
        StartProgram();
    }

    CMailboxPage& Mailbox() { return frame->GetPostmanWindow().GetMailboxPage(); }

    void AddMail(const char* name, const char* subject, const std::string& storeFile) {
        MailHeader mail;
        mail.senderName = name;
        mail.senderAddress = "sender@example.co.kr";
        mail.subject = subject;
        mail.dateText = "2026년 12월 7일 오후 3:00:00";
        mail.storeFile = storeFile;
        int row = frame->GetMailbox().InsertMail(mail, Mailbox().GetRowCount());
        Mailbox().AddRow("회사 메일", name, subject, row);
    }
};

} // namespace

TEST_F(DISABLED_ScreensTest, PostmanWindowAndMailView) {
    std::string mailFile = TempFilePath("screens.eml");
    WriteFileBytes(mailFile,
                   "From: =?UTF-8?B?6rmA7LKg7IiY?= <sender@example.co.kr>\r\nSubject: hello\r\n"
                   "Content-Type: text/plain; charset=euc-kr\r\n\r\n회의 자료를 보내 드립니다.\r\n");
    AddMail("김철수", "회의 자료 공유", mailFile);
    AddMail("네이버 메일", "주간 소식: 이번 주의 새 기능", mailFile);
    AddMail("쿠팡", "주문하신 상품이 발송되었습니다", mailFile);
    AddMail("[에러]", "pop.example.co.kr 서버에 연결할 수 없습니다.", "");

    CPostmanDlg& postman = frame->GetPostmanWindow();
    postman.ShowNormal();
    PumpMessagesUntil([] { return false; }, paintTime);
    SaveScreen(postman.GetHandle(), "postman-mailbox");
    postman.StartReply("sender@example.co.kr", u"Re: 회의 자료 공유");
    PumpMessagesUntil([] { return false; }, paintTime);
    SaveScreen(postman.GetHandle(), "postman-quick-mail");

    CListView(GetDlgItem(Mailbox().GetHandle(), IDC_MAIL_LIST)).SelectRow(0);
    SendMessageA(Mailbox().GetHandle(), WM_COMMAND, ID_MAIL_VIEW, 0);
    HWND viewer = Mailbox().GetViewer().GetHandle();
    PumpMessagesUntil([&] { return !Mailbox().GetViewer().GetBrowser().IsLoading(); });
    PumpMessagesUntil([] { return false; }, paintTime);
    SaveScreen(viewer, "mail-view");
    ShowWindow(viewer, SW_HIDE);
    ShowWindow(postman.GetHandle(), SW_HIDE);
    DeleteFileA(mailFile.c_str());
}

TEST_F(DISABLED_ScreensTest, TrayMenuAboutBoxPasswordAndAddressBook) {
    CUserThread menu(
        [] {
            HWND popup = nullptr;
            PumpMessagesUntil(
                [&] { return IsWindowVisible(popup = FindWindowA("#32768", nullptr)) != FALSE; });
            SaveScreen(popup, "tray-menu");
            PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        },
        {});
    SendMessageA(frame->GetTrayIcon().GetHandle(), trayCallbackMessage, IDR_TRAY_MENU, WM_RBUTTONUP);
    menu.Join();

    CUserThread about([] { SaveDialog("Tidemark 정보", "about", IDOK); }, {"Tidemark 정보"});
    ShowAboutBox(frame->GetHandle());
    about.Join();

    Settings guarded = frame->GetSettings();
    guarded.PasswordYN = 1;
    guarded.Password = "secret";
    CUserThread password([] { SaveDialog(passwordDialogCaption, "program-password"); },
                         {passwordDialogCaption});
    AskProgramPassword(guarded, frame->GetHandle());
    password.Join();

    CUserThread box([] { SaveDialog("Tidemark", "message-box", IDOK); }, {"Tidemark"});
    ShowMessage(frame->GetHandle(), "메일 클라이언트의 경로를 입력 하시기 바랍니다.",
                MB_OK | MB_ICONEXCLAMATION);
    box.Join();

    CUserThread book(
        [] {
            HWND dialog = WaitForDialog("주소록");
            ClickButton(dialog, IDC_ADDRESS_ADD, Delivery::Posted);
            SaveDialog("등록 정보", "address-entry");
            SaveScreen(dialog, "address-book");
            ClickButton(dialog, IDCANCEL, Delivery::Posted);
        },
        {"등록 정보", "주소록"});
    frame->GetSettings().addressBook = {{"홍길동", "gildong@example.co.kr"}, {"", "kim@example.com"}};
    CAddressBookDlg(frame->GetSettings()).DoModal(frame->GetHandle());
    book.Join();
}

TEST_F(DISABLED_ScreensTest, OptionsSheetAndItsDialogs) {
    const char* const pages[] = {"options-incoming", "options-outgoing", "options-spam", "options-other"};
    UseOptionSheet(frame->GetHandle(), [&](HWND sheet) {
        for (int page = 0; page < 4; ++page) {
            ShowPage(sheet, page);
            SaveScreen(sheet, pages[page]);
        }
        ShowPage(sheet, 2);
        ClickButton(CurrentPage(sheet), IDC_ADD_SPAM_ADDRESS, Delivery::Posted);
        SaveDialog("단어 입력", "spam-address");
        ShowPage(sheet, 0);
        HWND servers = GetDlgItem(CurrentPage(sheet), IDC_SERVER_LIST);
        PressOn(servers, RowPoint(servers, 0), Delivery::Posted);
        ClickButton(CurrentPage(sheet), IDC_SERVER_PROPERTIES, Delivery::Posted);
        SaveDialog(serverDialogCaption, "server-properties");
        ClickButton(sheet, IDCANCEL, Delivery::Posted);
    });
}

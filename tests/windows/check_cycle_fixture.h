// The main frame of a program configured in the registry, checking the test
// POP3 server: what the tests of the check and its state share.
#pragma once

#include "core/user_texts.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"
#include "program_fixture.h"
#include "user_actions.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

// A whole check against the local server ends well within this.
inline constexpr DWORD checkTimeoutMs = 60000;

class CheckCycleTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_GT(PeerPop3Port(), 0) << "the POP3 test server is not running";
    }

    void AddAccount(const std::string& name, const std::string& user, int method = CheckAllMail,
                    int notify = 0, const std::string& password = "secret") {
        int index = accounts++;
        std::string section = ServerSection(index);
        profile.WriteInt("POP3", "ServerNumber", accounts);
        profile.WriteString(section, "Name", name);
        profile.WriteString(section, "Address", "127.0.0.1");
        profile.WriteString(section, "ID", user);
        profile.WriteString(section, "Password", EncodeStoredPassword(password));
        profile.WriteInt(section, "Port", PeerPop3Port());
        profile.WriteInt(section, "CheckAlgorithm", method);
        profile.WriteInt(section, "Notify", notify);
    }

    void RunCheck() {
        frame->StartMailCheck();
        ASSERT_TRUE(PumpMessagesUntil([&] { return !frame->IsCheckActive(); }, checkTimeoutMs));
    }

    CMailboxPage& Page() { return frame->GetPostmanWindow().GetMailboxPage(); }

    // Lists a mail under `account` as a check would: the row shows the
    // sender's name, or the address when there is none. An error row has
    // errorRowSender as its name and no address.
    void ListMail(const std::string& account, const std::string& name, const std::string& address,
                  const std::string& subject) {
        MailHeader mail = name == errorRowSender ? ErrorRow(0) : MailHeader();
        mail.senderName = name;
        mail.senderAddress = address;
        mail.subject = subject;
        mail.dateText = "2026년 12월 7일 오후 3:00:00";
        int row = frame->GetMailbox().InsertMail(mail, Rows());
        Page().AddRow(account, name.empty() ? address : name, subject, row);
        if (name != errorRowSender)
            frame->GetMailbox().AddListedCount(1);
    }

    std::string Cell(int row, int column) {
        return RowText(GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST), row, column);
    }
    // The tray menu's item at `position` as the frame updates it before showing.
    std::string TrayMenuText(int position) {
        HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
        HMENU popup = GetSubMenu(menu, 0);
        frame->UpdateMenuItems(popup);
        char text[64] = "";
        GetMenuStringA(popup, position, text, sizeof text, MF_BYPOSITION);
        DestroyMenu(menu);
        return text;
    }
    int Rows() { return RowCount(GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST)); }

    bool TrayShows(UINT iconId) {
        return frame->GetTrayIcon().GetTrayIcon() == frame->GetTrayIcon().LoadIconResource(iconId);
    }

    int accounts = 0;
};

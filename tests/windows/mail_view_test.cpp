// The mail view window opened from the mailbox page: mails fetched from the
// dovecot of tests/peers, stepping past error rows, the header fields.
#include "check_cycle_fixture.h"
#include "framework/list_view.h"
#include "postman/quick_mail_page.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace {

class MailViewTest : public CheckCycleTest {
  protected:
    CMailViewDlg& Viewer() { return Page().GetViewer(); }
    std::string Field(int id) { return Viewer().GetItemText(id); }

    // Opens the mail of `row` (none selected: -1) from the page's menu
    // command and waits until its whole body is in the control.
    void ViewRow(int row) {
        CListView list(GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST));
        if (row >= 0)
            list.SelectRow(row);
        SendMessageA(Page().GetHandle(), WM_COMMAND, ID_MAIL_VIEW, 0);
        ASSERT_TRUE(PumpMessagesUntil([&] { return !Viewer().GetBrowser().IsLoading(); }));
    }
    std::u16string WideCell(int row, int column) {
        wchar_t text[128] = {};
        LVITEMW item = {};
        item.iSubItem = column, item.pszText = text, item.cchTextMax = 128;
        SendDlgItemMessageW(Page().GetHandle(), IDC_MAIL_LIST, LVM_GETITEMTEXTW, row,
                            reinterpret_cast<LPARAM>(&item));
        return reinterpret_cast<const char16_t*>(text);
    }
    std::u16string Text(HWND control) {
        std::u16string text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, u'\0');
        text.resize(static_cast<size_t>(
            GetWindowTextW(control, reinterpret_cast<wchar_t*>(&text[0]), static_cast<int>(text.size()))));
        return text;
    }
};

struct ModernMail {
    const char* sender; // as the list shows it
    const char16_t* subject;
    const char16_t* bodyText;
};

const ModernMail modernMails[] = {
    {"네이버 메일", u"주간 소식: 漢字와 이모지 😀 Café", u"안녕하세요, 漢字와 이모지 😀 입니다."},
    {"다음 카페", u"카페 새 글 알림", u"EUC-KR로 쓴 HTML 본문입니다."},
    {"Old Mailer", u"옛날 메일", u"ISO-2022-KR 본문입니다."},
    {"김철수", u"회의 자료 공유", u"회의 자료를 공유합니다. 이 줄은 이어집니다."},
    {"쿠팡", u"주문하신 상품이 발송되었습니다", u"상품 발송 안내: 문의하기"},
    {"이영희", u"Fwd: 여행 일정", u"보낸 사람: 박민수 <ms@service.example>"},
    {"최수진", u"보고서 첨부", u"  연간 보고서.pdf  760 바이트"},
};

} // namespace

TEST_F(MailViewTest, ModernMailFromDovecotIsListedAndShownRight) {
    AddAccount("최신", "modern");
    StartProgram();
    RunCheck();
    ASSERT_EQ(Page().GetRowCount(), static_cast<int>(std::size(modernMails)));
    for (const ModernMail& expected : modernMails) {
        SCOPED_TRACE(expected.sender);
        int row = 0;
        while (row < Page().GetRowCount() && WideCell(row, 2) != expected.subject)
            ++row;
        ASSERT_LT(row, Page().GetRowCount());
        EXPECT_EQ(Cell(row, 0), "최신");
        EXPECT_EQ(Cell(row, 1), expected.sender);
        ViewRow(row);
        EXPECT_TRUE(IsWindowVisible(Viewer().GetHandle()));
        EXPECT_TRUE(IsCenteredOnWorkArea(Viewer().GetHandle())); // not in the screen's corner
        // The list and the view show the mail's own characters, not code page 949's.
        EXPECT_EQ(Text(Viewer().GetItem(IDC_VIEW_SUBJECT)), expected.subject);
        EXPECT_EQ(Field(IDC_VIEW_ACCOUNT), "최신");
        EXPECT_NE(Text(Viewer().GetBrowser().GetHandle()).find(expected.bodyText), std::u16string::npos);
    }
    // The next check hides the window.
    RunCheck();
    EXPECT_FALSE(IsWindowVisible(Viewer().GetHandle()));
}

TEST_F(MailViewTest, AnImapMailListedByItsHeaderOpensWithItsBody) {
    AddAccount("아이맵", "ivyview");
    profile.WriteInt(ServerSection(0), "Protocol", 1);
    profile.WriteInt(ServerSection(0), "Port", PortIn(std::string(TIDEMARK_PEERS_DIR) + "/imap.port"));
    StartProgram();
    RunCheck();
    ASSERT_EQ(Page().GetRowCount(), 1);
    ViewRow(0);
    const std::u16string body = u"The body a check never reads.";
    EXPECT_TRUE(PumpMessagesUntil(
        [&] { return Text(Viewer().GetBrowser().GetHandle()).find(body) != std::u16string::npos; }));
    EXPECT_EQ(Field(IDC_VIEW_FRAME), ""); // the loading text has gone
}

TEST_F(MailViewTest, PreviousAndNextStepOverErrorRowsAndStopAtTheEnds) {
    StartProgram();
    ListMail("회사", "", "first@example.com", "첫째");
    ListMail("회사", errorRowSender, "", "로그인 실패");
    ListMail("회사", "김철수", "cs@example.com", "셋째");
    ListMail("회사", errorRowSender, "", "로그인 실패");

    ViewRow(-1); // no selection: row 0
    EXPECT_EQ(Viewer().GetIndex(), 0);
    EXPECT_EQ(Field(IDC_VIEW_SENDER), "first@example.com");
    EXPECT_EQ(Field(IDC_VIEW_DATE), "2026년 12월 7일 오후 3:00:00");
    ClickButton(Viewer().GetHandle(), ID_VIEW_PREVIOUS, Delivery::Sent);
    EXPECT_EQ(Viewer().GetIndex(), 0);
    ClickButton(Viewer().GetHandle(), ID_VIEW_NEXT, Delivery::Sent);
    EXPECT_EQ(Viewer().GetIndex(), 2);
    EXPECT_EQ(Field(IDC_VIEW_SENDER), "김철수 <cs@example.com>");
    EXPECT_EQ(Field(IDC_VIEW_SUBJECT), "셋째");
    ClickButton(Viewer().GetHandle(), ID_VIEW_NEXT, Delivery::Sent);
    EXPECT_EQ(Viewer().GetIndex(), 2);
    ClickButton(Viewer().GetHandle(), ID_VIEW_PREVIOUS, Delivery::Sent);
    EXPECT_EQ(Viewer().GetIndex(), 0);

    // An error row does not open.
    ViewRow(3);
    EXPECT_EQ(Viewer().GetIndex(), 0);
    ClickButton(Viewer().GetHandle(), IDC_VIEW_CLOSE, Delivery::Sent);
    EXPECT_FALSE(IsWindowVisible(Viewer().GetHandle()));

    // Reply answers the shown mail on the quick-mail tab and dismisses the window.
    ViewRow(2);
    ClickButton(Viewer().GetHandle(), ID_VIEW_REPLY, Delivery::Sent);
    EXPECT_FALSE(IsWindowVisible(Viewer().GetHandle()));
    EXPECT_EQ(frame->GetPostmanWindow().GetTabCtrl().GetCurrentTab(), 1);
    HWND quick = frame->GetPostmanWindow().GetQuickMailPage().GetHandle();
    EXPECT_EQ(WindowText(GetDlgItem(quick, IDC_RECIPIENTS)), "cs@example.com");
    EXPECT_EQ(WindowText(GetDlgItem(quick, IDC_SUBJECT)), "Re: 셋째");
}

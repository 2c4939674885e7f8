#include "postman/mailbox_page.h"

#include "app/main_frame.h"
#include "postman/postman_dlg.h"
#include "resource.h"
#include "user_actions.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// The mailbox page of the postman window that the main frame makes.
class MailboxPageTest : public testing::Test {
  protected:
    CMailboxPage& Page() { return frame.GetPostmanWindow().GetMailboxPage(); }
    HWND List() { return GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST); }
    HWND Item(int id) { return GetDlgItem(Page().GetHandle(), id); }

    std::string Cell(int row, int column) { return RowText(List(), row, column); }

    // The first column of every row, top to bottom.
    std::vector<std::string> Servers() {
        std::vector<std::string> servers;
        for (int row = 0; row < RowCount(List()); ++row)
            servers.push_back(Cell(row, 0));
        return servers;
    }

    CMainFrame frame;
};

struct Column {
    std::string title;
    int width;
    int format;
};

std::vector<Column> Columns(HWND list) {
    std::vector<Column> columns;
    for (int index = 0;; ++index) {
        char title[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        if (!SendMessageA(list, LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(&column)))
            return columns;
        columns.push_back({title, column.cx, column.fmt & LVCFMT_JUSTIFYMASK});
    }
}

} // namespace

TEST_F(MailboxPageTest, IsAChildWithItsCountAndLastCheckLabels) {
    EXPECT_TRUE(HasStyle(Page().GetHandle(), WS_CHILD));
    EXPECT_EQ(WindowText(Item(IDC_ARRIVED_COUNT)), "도착한 메일 :");
    EXPECT_EQ(WindowText(Item(IDC_LAST_CHECK)), "마지막 체크 :");
}

TEST_F(MailboxPageTest, ListIsAnUnsortedMultiSelectReportWithFullRowSelection) {
    EXPECT_TRUE(HasStyle(List(), LVS_REPORT | LVS_SHOWSELALWAYS));
    EXPECT_FALSE(HasStyle(List(), LVS_SINGLESEL));
    EXPECT_FALSE(HasStyle(List(), LVS_SORTASCENDING));
    EXPECT_FALSE(HasStyle(List(), LVS_SORTDESCENDING));
    EXPECT_TRUE(SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST_F(MailboxPageTest, ColumnsHaveTheirTitlesLeftAlignedAndShown) {
    std::vector<Column> columns = Columns(List());
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].title, "메일 서버");
    EXPECT_EQ(columns[1].title, "보낸 사람");
    EXPECT_EQ(columns[2].title, "메일 제목");
    for (const Column& column : columns) {
        EXPECT_GT(column.width, 0) << column.title;
        EXPECT_EQ(column.format, LVCFMT_LEFT) << column.title;
    }
}

TEST_F(MailboxPageTest, LargeFontScreensGetTheSameColumnsAsSmallFontScreensAtOneDpi) {
    CTestHost host;
    CMailboxPage page(frame.GetMailbox(), frame.GetCheckControl(), frame.GetPostmanWindow(), false);
    ASSERT_TRUE(page.Create(host.GetHandle()));
    std::vector<Column> large = Columns(GetDlgItem(page.GetHandle(), IDC_MAIL_LIST)), small = Columns(List());
    ASSERT_EQ(large.size(), 3u);
    for (std::size_t column = 0; column < large.size(); ++column)
        EXPECT_EQ(large[column].width, small[column].width) << column;
}

TEST_F(MailboxPageTest, RowsGoInAtTheGivenIndexAndAreCounted) {
    EXPECT_EQ(Page().GetRowCount(), 0);
    // One account read newest first: each older mail goes in front of the newer ones.
    Page().AddRow("A3", "c@example.com", "셋째", 0);
    Page().AddRow("A2", "b@example.com", "둘째", 0);
    Page().AddRow("A1", "김철수", "첫째", 0);
    // The next account appends at the row count.
    Page().AddRow("B1", "[에러]", "로그인 실패", Page().GetRowCount());
    Page().AddRow("M", "", "", 2);
    EXPECT_EQ(Page().GetRowCount(), 5);
    EXPECT_EQ(Servers(), (std::vector<std::string>{"A1", "A2", "M", "A3", "B1"}));
    EXPECT_EQ(Cell(0, 1), "김철수");
    EXPECT_EQ(Cell(0, 2), "첫째");
    EXPECT_EQ(Cell(4, 1), "[에러]");
    EXPECT_EQ(Cell(4, 2), "로그인 실패");
}

TEST_F(MailboxPageTest, RowIndicesOutsideTheListGoToTheNearerEnd) {
    Page().AddRow("middle", "", "", 0);
    Page().AddRow("last", "", "", 99);
    Page().AddRow("first", "", "", -3);
    EXPECT_EQ(Servers(), (std::vector<std::string>{"first", "middle", "last"}));
    EXPECT_EQ(Page().GetRowCount(), 3);
}

TEST_F(MailboxPageTest, ClearRowsEmptiesTheListAndTheCount) {
    Page().AddRow("A", "x", "y", 0);
    Page().AddRow("B", "x", "y", 1);
    Page().ClearRows();
    EXPECT_EQ(Page().GetRowCount(), 0);
    EXPECT_EQ(RowCount(List()), 0);
    Page().AddRow("C", "x", "y", Page().GetRowCount());
    EXPECT_EQ(Servers(), (std::vector<std::string>{"C"}));
}

TEST_F(MailboxPageTest, ArrivedCountIsPaddedToThreeDigits) {
    const struct {
        int count;
        const char* label;
    } cases[] = {{0, "도착한 메일 :   0"},
                 {7, "도착한 메일 :   7"},
                 {42, "도착한 메일 :  42"},
                 {1234, "도착한 메일 : 1234"}};
    for (const auto& sample : cases) {
        frame.GetMailbox().ResetListedCount();
        frame.GetMailbox().AddListedCount(sample.count);
        Page().ShowArrivedCount();
        EXPECT_EQ(WindowText(Item(IDC_ARRIVED_COUNT)), sample.label);
    }
}

TEST_F(MailboxPageTest, LastCheckShowsTheTimeOfDayInTwelveHourForm) {
    const struct {
        int hour, minute;
        const char* label;
    } cases[] = {{15, 7, "마지막 체크 : 오후 3:07"},   {0, 5, "마지막 체크 : 오전 12:05"},
                 {12, 30, "마지막 체크 : 오후 12:30"}, {11, 59, "마지막 체크 : 오전 11:59"},
                 {13, 10, "마지막 체크 : 오후 1:10"},  {9, 0, "마지막 체크 : 오전 9:00"}};
    for (const auto& sample : cases) {
        Page().ShowLastCheck(CCalendarTime::FromLocal(2001, 7, 24, sample.hour, sample.minute, 42));
        EXPECT_EQ(WindowText(Item(IDC_LAST_CHECK)), sample.label);
    }
}

TEST_F(MailboxPageTest, PictureButtonsAreOwnerDrawnWithTheirToolTips) {
    for (int id : {IDC_CHECK_BUTTON, IDC_VIEW_BUTTON, IDC_DELETE_BUTTON}) {
        EXPECT_EQ(GetWindowLongPtrA(Item(id), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << id;
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    }
    EXPECT_EQ(ToolTipText(Page().GetHandle(), Item(IDC_CHECK_BUTTON)), "메일체크");
    EXPECT_EQ(ToolTipText(Page().GetHandle(), Item(IDC_VIEW_BUTTON)), "메일 본문 보기");
    EXPECT_EQ(ToolTipText(Page().GetHandle(), Item(IDC_DELETE_BUTTON)), "메일 삭제");
}

TEST_F(MailboxPageTest, CheckButtonOffersToStopWhileACheckRuns) {
    HWND button = Item(IDC_CHECK_BUTTON);
    std::vector<COLORREF> idle = RenderOwnerDrawn(button);

    frame.GetMailbox().checkRunning = 1;
    Page().UpdateCheckButton();
    EXPECT_EQ(ToolTipText(Page().GetHandle(), button), "메일 체크 중지");
    EXPECT_NE(RenderOwnerDrawn(button), idle);

    frame.GetMailbox().checkRunning = 0;
    Page().UpdateCheckButton();
    EXPECT_EQ(ToolTipText(Page().GetHandle(), button), "메일체크");
    EXPECT_EQ(RenderOwnerDrawn(button), idle);
}

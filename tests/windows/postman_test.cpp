#include "postman/postman_dlg.h"

#include "app/main_frame.h"
#include "framework/screen_dpi.h"
#include "postman/mailbox_page.h"
#include "postman/quick_mail_page.h"
#include "resource.h"
#include "user_actions.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

const COLORREF unpainted = RGB(0, 255, 0);

// The postman window as the main frame makes it (hidden, small screen font
// under the test desktop).
class PostmanTest : public testing::Test {
  protected:
    void TearDown() override { ReleaseCapture(); }

    HWND Window() { return frame.GetPostmanWindow().GetHandle(); }
    HWND Tabs() { return GetDlgItem(Window(), IDC_PAGE_TABS); }
    HWND MailboxPage() { return frame.GetPostmanWindow().GetMailboxPage().GetHandle(); }
    HWND QuickMailPage() { return frame.GetPostmanWindow().GetQuickMailPage().GetHandle(); }

    CMainFrame frame;
};

std::string TabText(HWND tabs, int index) {
    char text[64] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

int TabImage(HWND tabs, int index) {
    TCITEMA item = {};
    item.mask = TCIF_IMAGE;
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

std::vector<COLORREF> LoadedBitmapPixels(int id) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    std::vector<COLORREF> pixels = BitmapPixels(bitmap);
    DeleteObject(bitmap);
    return pixels;
}

std::vector<COLORREF> ToggleBitmapPixels(HWND window) {
    auto bitmap =
        reinterpret_cast<HBITMAP>(SendDlgItemMessageA(window, IDC_ALWAYS_TOP, BM_GETIMAGE, IMAGE_BITMAP, 0));
    return BitmapPixels(bitmap);
}

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

} // namespace

TEST_F(PostmanTest, IsAHiddenCaptionlessPopupWithoutOwner) {
    ASSERT_NE(Window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_EQ(GetWindow(Window(), GW_OWNER), nullptr);
    EXPECT_TRUE(HasStyle(Window(), WS_POPUP | WS_CLIPCHILDREN));
    EXPECT_FALSE(HasStyle(Window(), WS_CAPTION));
    EXPECT_EQ(WindowText(Window()), "Tidemark");
    EXPECT_NE(SendMessageA(Window(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(PostmanTest, StatusIsCentredAndAlwaysOnTopIsAPictureToggle) {
    HWND window = Window();
    EXPECT_TRUE(HasStyle(GetDlgItem(window, IDC_STATUS_TEXT), SS_CENTER));
    EXPECT_TRUE(HasStyle(GetDlgItem(window, IDC_ALWAYS_TOP), BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP));
    EXPECT_EQ(WindowText(GetDlgItem(window, IDC_ALWAYS_TOP)), "CHECK_ALWAYS_TOP");
}

TEST_F(PostmanTest, EnterAndEscapeCloseNeitherTheWindowNorItsPages) {
    for (HWND window : {Window(), MailboxPage(), QuickMailPage()})
        for (WPARAM command : {IDOK, IDCANCEL})
            SendMessageA(window, WM_COMMAND, command, 0);
    EXPECT_TRUE(IsWindow(Window()));
    EXPECT_TRUE(IsWindow(MailboxPage()));
    EXPECT_TRUE(IsWindow(QuickMailPage()));
    EXPECT_TRUE(IsShown(MailboxPage()));
}

TEST_F(PostmanTest, AlwaysOnTopToggleFlipsTopmostAndTheStoredSetting) {
    std::vector<COLORREF> off = LoadedBitmapPixels(IDB_TOP_OFF);
    std::vector<COLORREF> on = LoadedBitmapPixels(IDB_TOP_ON);
    ASSERT_FALSE(off.empty());
    ASSERT_NE(off, on);
    EXPECT_EQ(ToggleBitmapPixels(Window()), off);

    ClickButton(Window(), IDC_ALWAYS_TOP, Delivery::Sent);
    EXPECT_TRUE(IsTopmost(Window()));
    EXPECT_EQ(frame.GetSettings().AlwaysTop, 1);
    EXPECT_EQ(SendDlgItemMessageA(Window(), IDC_ALWAYS_TOP, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(ToggleBitmapPixels(Window()), on);

    ClickButton(Window(), IDC_ALWAYS_TOP, Delivery::Sent);
    EXPECT_FALSE(IsTopmost(Window()));
    EXPECT_EQ(frame.GetSettings().AlwaysTop, 0);
    EXPECT_EQ(SendDlgItemMessageA(Window(), IDC_ALWAYS_TOP, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(ToggleBitmapPixels(Window()), off);
}

TEST_F(PostmanTest, StoredAlwaysTopTakesEffectWhenTheWindowIsFirstDrawn) {
    frame.GetSettings().AlwaysTop = 1;
    EXPECT_FALSE(IsTopmost(Window())) << "the window is made before the settings are read";
    frame.ShowPostmanWindow();
    UpdateWindow(Window());
    EXPECT_TRUE(IsTopmost(Window()));
    EXPECT_EQ(SendDlgItemMessageA(Window(), IDC_ALWAYS_TOP, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(ToggleBitmapPixels(Window()), LoadedBitmapPixels(IDB_TOP_ON));
    ShowWindow(Window(), SW_HIDE);
}

TEST_F(PostmanTest, HidingAndShowingAgainKeepsTheTabAndTheRows) {
    CMailboxPage& page = frame.GetPostmanWindow().GetMailboxPage();
    page.AddRow("회사 메일", "홍길동", "회의 자료", 0);
    page.AddRow("회사 메일", "kim@example.com", "주말 약속", 1);
    frame.ShowPostmanWindow();
    EXPECT_TRUE(IsWindowVisible(Window()));
    frame.GetPostmanWindow().GetTabCtrl().SelectTab(1);

    ClickButton(Window(), IDC_HIDE, Delivery::Sent);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_TRUE(IsWindow(Window()));

    frame.ShowPostmanWindow();
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(IsIconic(Window()));
    EXPECT_EQ(frame.GetPostmanWindow().GetTabCtrl().GetCurrentTab(), 1);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == QuickMailPage() || IsChild(QuickMailPage(), focus))
        << "the shown page has the focus";
    EXPECT_EQ(page.GetRowCount(), 2);
    EXPECT_EQ(RowCount(GetDlgItem(MailboxPage(), IDC_MAIL_LIST)), 2);
    ShowWindow(Window(), SW_HIDE);
}

namespace {

// The part of a 400 x 60 canvas that the window's WM_PRINTCLIENT paints.
RECT PaintedStrip(HWND window, COLORREF* firstPixel = nullptr) {
    CTestCanvas canvas(400, 60, unpainted);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.GetDC()), PRF_CLIENT);
    RECT painted = {};
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Pixel(x, y) != unpainted) {
                RECT pixel = {x, y, x + 1, y + 1};
                UnionRect(&painted, &painted, &pixel);
            }
    if (firstPixel)
        *firstPixel = canvas.Pixel(0, 0);
    return painted;
}

} // namespace

TEST_F(PostmanTest, PictureStripSpansTheWindowAtItsHeightForTheDpi) {
    for (bool smallFontScreen : {true, false}) {
        CPostmanDlg postman(frame.GetMailbox(), frame.GetCheckControl(), frame.GetSettings(),
                            smallFontScreen);
        RECT client;
        GetClientRect(postman.GetHandle(), &client);
        COLORREF first = unpainted;
        RECT painted = PaintedStrip(postman.GetHandle(), &first);
        EXPECT_EQ(painted.left, 0);
        EXPECT_EQ(painted.top, 0);
        EXPECT_EQ(painted.right, std::min<LONG>(client.right, 400)) << smallFontScreen;
        EXPECT_EQ(painted.bottom, ScaleToSystemDpi(17)) << smallFontScreen;
        EXPECT_EQ(first, LoadedBitmapPixels(IDB_PICTURE_STRIP)[0]);
    }
}

TEST_F(PostmanTest, LargeFontScreensPutThePagesWhereSmallFontScreensDoAtOneDpi) {
    CPostmanDlg large(frame.GetMailbox(), frame.GetCheckControl(), frame.GetSettings(), false);
    RECT largePage =
        WindowRectIn(GetDlgItem(large.GetHandle(), IDC_PAGE_TABS), large.GetMailboxPage().GetHandle());
    RECT smallPage = WindowRectIn(Tabs(), MailboxPage());
    EXPECT_TRUE(EqualRect(&largePage, &smallPage));
}

TEST_F(PostmanTest, HasTheMailboxAndQuickMailTabsWithTheirImages) {
    HWND tabs = Tabs();
    EXPECT_TRUE(HasStyle(tabs, TCS_BUTTONS | TCS_RAGGEDRIGHT));
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(TabText(tabs, 0), "우 편 함");
    EXPECT_EQ(TabText(tabs, 0), "\xbf\xec \xc6\xed \xc7\xd4") << "code page 949 bytes";
    EXPECT_EQ(TabText(tabs, 1), "빠른 메일");
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(tabs, TCM_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    for (int tab : {0, 1}) {
        EXPECT_GE(TabImage(tabs, tab), 0) << tab;
        EXPECT_LT(TabImage(tabs, tab), ImageList_GetImageCount(images)) << tab;
    }
    EXPECT_NE(TabImage(tabs, 0), TabImage(tabs, 1));
}

TEST_F(PostmanTest, PagesSitInTheTabsAndOnlyTheMailboxShows) {
    for (HWND page : {MailboxPage(), QuickMailPage()})
        EXPECT_EQ(GetParent(page), Tabs());
    EXPECT_EQ(frame.GetPostmanWindow().GetTabCtrl().GetCurrentTab(), 0);
    EXPECT_TRUE(IsShown(MailboxPage()));
    EXPECT_FALSE(IsShown(QuickMailPage()));
}

namespace {

// Drags the window by its body: the left button goes down at client point
// (10, 12) while the window is at (300, 200).
class PostmanDragTest : public PostmanTest {
  protected:
    void SetUp() override {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        SetWindowPos(Window(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rect;
        GetWindowRect(Window(), &rect);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        PressOn(Window(), {grabX, grabY}, Delivery::Sent, Press::Down);
    }

    // Moves the pointer so that, unsnapped, the window's corner would go to
    // (left, top); answers where the corner went.
    POINT DragCornerTo(int left, int top) {
        POINT pointer = {left + grabX, top + grabY};
        ScreenToClient(Window(), &pointer);
        MoveOver(Window(), pointer, MK_LBUTTON);
        RECT rect;
        GetWindowRect(Window(), &rect);
        EXPECT_EQ(rect.right - rect.left, width);
        EXPECT_EQ(rect.bottom - rect.top, height);
        return {rect.left, rect.top};
    }

    const int grabX = 10;
    const int grabY = 12;
    RECT workArea = {};
    int width = 0;
    int height = 0;
};

} // namespace

TEST_F(PostmanDragTest, TheWindowFollowsThePointerUntilTheButtonIsReleased) {
    EXPECT_EQ(GetCapture(), Window());
    POINT corner = DragCornerTo(400, 300);
    EXPECT_EQ(corner.x, 400);
    EXPECT_EQ(corner.y, 300);

    PressOn(Window(), {grabX, grabY}, Delivery::Sent, Press::Up);
    EXPECT_NE(GetCapture(), Window());
    corner = DragCornerTo(500, 350);
    EXPECT_EQ(corner.x, 400);
    EXPECT_EQ(corner.y, 300);
}

TEST_F(PostmanDragTest, WithinTenPixelsOfTheRightOrBottomEdgeItClingsToIt) {
    int rightmost = workArea.right - width;
    int lowest = workArea.bottom - height;
    EXPECT_EQ(DragCornerTo(rightmost - 10, 300).x, rightmost - 10) << "ten pixels away stays free";
    EXPECT_EQ(DragCornerTo(rightmost - 9, 300).x, rightmost);
    EXPECT_EQ(DragCornerTo(rightmost + 50, 300).x, rightmost) << "and it cannot be dragged further";

    EXPECT_EQ(DragCornerTo(400, lowest - 10).y, lowest - 10);
    EXPECT_EQ(DragCornerTo(400, lowest - 9).y, lowest);
    EXPECT_EQ(DragCornerTo(400, lowest + 80).y, lowest);
}

TEST_F(PostmanDragTest, WithinTenPixelsOfTheLeftOrTopEdgeItClingsToIt) {
    POINT corner = DragCornerTo(workArea.left + 10, workArea.top + 10);
    EXPECT_EQ(corner.x, workArea.left + 10);
    EXPECT_EQ(corner.y, workArea.top + 10);
    corner = DragCornerTo(workArea.left + 9, workArea.top + 9);
    EXPECT_EQ(corner.x, workArea.left);
    EXPECT_EQ(corner.y, workArea.top);
    corner = DragCornerTo(workArea.left - 200, workArea.top - 150);
    EXPECT_EQ(corner.x, workArea.left);
    EXPECT_EQ(corner.y, workArea.top);
}

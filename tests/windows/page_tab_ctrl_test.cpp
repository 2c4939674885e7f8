#include "postman/page_tab_ctrl.h"

#include "user_actions.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace {

// A tab control with two plain page windows on a hidden host.
class PageTabCtrlTest : public testing::Test {
  protected:
    void SetUp() override {
        HWND window = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | TCS_BUTTONS, 0, 0, 300,
                                      200, host.GetHandle(), reinterpret_cast<HMENU>(7), nullptr, nullptr);
        ASSERT_TRUE(tabs.Subclass(window));
        tabs.SetPageOrigin(3, 24);
        for (HWND& page : pages) {
            page = CreateWindowExA(0, "STATIC", "", WS_CHILD, 50, 60, 120, 80, window, nullptr, nullptr,
                                   nullptr);
            tabs.AddTab(page, &page == &pages[0] ? "우 편 함" : "빠른 메일", 0);
        }
    }

    // Tab `index` is selected and its page is the only one shown.
    void ExpectOnlyPageShown(int index) {
        EXPECT_EQ(tabs.GetCurrentTab(), index);
        for (int page = 0; page < 2; ++page)
            EXPECT_EQ(IsShown(pages[page]), page == index) << "page " << page;
    }

    void ClickTab(int index) {
        RECT item;
        SendMessageA(tabs.GetHandle(), TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        PressOn(tabs.GetHandle(), {(item.left + item.right) / 2, (item.top + item.bottom) / 2},
                Delivery::Sent);
    }

    CTestHost host;
    CPageTabCtrl tabs;
    HWND pages[2] = {};
};

} // namespace

TEST_F(PageTabCtrlTest, AddedPagesMoveToTheOriginKeepingTheirSizeAndOnlyTheFirstShows) {
    for (HWND page : pages) {
        RECT rect = WindowRectIn(tabs.GetHandle(), page);
        EXPECT_EQ(rect.left, 3);
        EXPECT_EQ(rect.top, 24);
        EXPECT_EQ(rect.right - rect.left, 120);
        EXPECT_EQ(rect.bottom - rect.top, 80);
    }
    ExpectOnlyPageShown(0);
    EXPECT_EQ(tabs.GetPage(1), pages[1]);
}

TEST_F(PageTabCtrlTest, SelectingTheSelectedTabChangesNothingAndSucceeds) {
    EXPECT_TRUE(tabs.SelectTab(0));
    ExpectOnlyPageShown(0);
}

TEST_F(PageTabCtrlTest, SelectTabSwitchesPagesBothWays) {
    EXPECT_TRUE(tabs.SelectTab(1));
    ExpectOnlyPageShown(1);
    EXPECT_TRUE(tabs.SelectTab(0));
    ExpectOnlyPageShown(0);
}

TEST_F(PageTabCtrlTest, SelectingAMissingTabFailsAndKeepsThePageShown) {
    for (int index : {2, -1, 100}) {
        EXPECT_FALSE(tabs.SelectTab(index)) << index;
        ExpectOnlyPageShown(0);
    }
}

TEST_F(PageTabCtrlTest, AClickOnATabSwitchesPagesTheSameWay) {
    ClickTab(1);
    ExpectOnlyPageShown(1);
    ClickTab(0);
    ExpectOnlyPageShown(0);
}

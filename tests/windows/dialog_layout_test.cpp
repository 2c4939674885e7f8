// Every dialog of the program laid out at the DPI the tests run under (the
// screens script runs them at 120 DPI too): its controls stay inside it, no
// two of them cover each other, and each shows its whole text.
#include "app/main_frame.h"
#include "framework/screen_dpi.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"
#include "postman/quick_mail_page.h"
#include "resource.h"
#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Control {
    HWND window;
    std::string name; // for messages: id and text
};

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LONG_PTR ButtonType(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK;
}

// Group boxes and tab controls frame other controls; they may lie under them.
bool IsContainer(HWND window) {
    std::string name = ClassOf(window);
    return (name == "Button" && ButtonType(window) == BS_GROUPBOX) || name == WC_TABCONTROLA;
}

// An up-down control sits on the border of the edit it drives.
bool AreBuddies(HWND first, HWND second) {
    auto buddyOf = [](HWND window) {
        return ClassOf(window) == UPDOWN_CLASSA
                   ? reinterpret_cast<HWND>(SendMessageA(window, UDM_GETBUDDY, 0, 0))
                   : nullptr;
    };
    return buddyOf(first) == second || buddyOf(second) == first;
}

std::vector<Control> VisibleChildren(HWND dialog) {
    std::vector<Control> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsShown(child))
            children.push_back(
                {child, std::to_string(GetDlgCtrlID(child)) + " \"" + WindowText(child) + "\""});
    return children;
}

// The room a control needs beside its text: the frame of a push
// button, the box of a check box or radio button, the caption indent of a
// group box.
int TextMargin(HWND window) {
    if (ClassOf(window) != "Button")
        return 0;
    switch (ButtonType(window)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return GetSystemMetrics(SM_CXMENUCHECK) + ScaleToSystemDpi(4);
    case BS_GROUPBOX:
        return ScaleToSystemDpi(16);
    default:
        return 2 * GetSystemMetrics(SM_CXEDGE) + ScaleToSystemDpi(2);
    }
}

bool ShowsText(HWND window) {
    std::string name = ClassOf(window);
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    if (name == "Static")
        return (style & SS_TYPEMASK) <= SS_RIGHT;
    return name == "Button" && !(style & (BS_BITMAP | BS_ICON)) && ButtonType(window) != BS_OWNERDRAW;
}

// The size the control's text takes in its own font, wrapped to the
// control's width as a static wraps it.
SIZE TextExtent(HWND window, int width) {
    std::string text = WindowText(window);
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, width, 0};
    UINT wrap = ClassOf(window) == "Static" ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | wrap);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return {rect.right, rect.bottom};
}

void ExpectInside(const RECT& place, const RECT& area, const std::string& what) {
    RECT inside;
    IntersectRect(&inside, &place, &area);
    EXPECT_TRUE(EqualRect(&inside, &place))
        << what << " leaves its window: (" << place.left << ", " << place.top << ")-(" << place.right << ", "
        << place.bottom << ") in " << area.right << " x " << area.bottom;
}

void ExpectTidyLayout(HWND dialog, const std::string& name) {
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<Control> children = VisibleChildren(dialog);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Control& control = children[i];
        RECT place = WindowRectIn(dialog, control.window);
        ExpectInside(place, client, name + ": " + control.name);

        if (!IsContainer(control.window))
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                RECT other = WindowRectIn(dialog, children[j].window), common;
                EXPECT_TRUE(IsContainer(children[j].window) ||
                            AreBuddies(control.window, children[j].window) ||
                            !IntersectRect(&common, &place, &other))
                    << name << ": " << control.name << " covers " << children[j].name;
            }

        if (ShowsText(control.window) && !WindowText(control.window).empty()) {
            int room = place.right - place.left - TextMargin(control.window);
            SIZE text = TextExtent(control.window, room);
            EXPECT_LE(text.cx, room) << name << ": " << control.name << " is cut";
            EXPECT_LE(text.cy, place.bottom - place.top) << name << ": " << control.name << " is cut";
        }
    }
}

struct DialogCase {
    const char* name;
    int id;
};

const DialogCase dialogs[] = {
    {"postman", IDD_POSTMAN},
    {"mailbox page", IDD_MAILBOX_PAGE},
    {"quick mail page", IDD_QUICK_MAIL_PAGE},
    {"mail view", IDD_MAIL_VIEW},
    {"address book", IDD_ADDRESS_BOOK},
    {"address entry", IDD_ADDRESS_ENTRY},
    {"about", IDD_ABOUT},
    {"upgrade", IDD_UPGRADE},
    {"incoming page", IDD_OPTION_INCOMING},
    {"server properties", IDD_SERVER_PROPERTIES},
    {"outgoing page", IDD_OPTION_OUTGOING},
    {"spam page", IDD_OPTION_SPAM},
    {"spam address", IDD_SPAM_ADDRESS},
    {"other page", IDD_OPTION_OTHER},
    {"password", IDD_PASSWORD},
    {"clip window", IDD_AVI_CLIP},
};

} // namespace

TEST(DialogLayout, EveryControlFitsItsDialogAndShowsItsWholeText) {
    CTestHost host; // parent of the child dialogs (pages)
    for (const DialogCase& dialog : dialogs) {
        HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog.id),
                                         host.GetHandle(), InertDialogProc, 0);
        ASSERT_NE(window, nullptr) << dialog.name;
        ExpectTidyLayout(window, dialog.name);
        DestroyWindow(window);
    }
}

TEST(DialogLayout, PostmanPagesAndTheMailViewAtItsSmallestSizeAreTidy) {
    CMainFrame frame;
    CPostmanDlg& postman = frame.GetPostmanWindow();

    HWND tabs = GetDlgItem(postman.GetHandle(), IDC_PAGE_TABS);
    RECT tabArea, firstTab = {};
    GetClientRect(tabs, &tabArea);
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstTab));
    for (HWND page : {postman.GetMailboxPage().GetHandle(), postman.GetQuickMailPage().GetHandle()}) {
        RECT place = WindowRectIn(tabs, page);
        EXPECT_GE(place.top, firstTab.bottom) << "a page covers the tabs";
        for (const Control& control : VisibleChildren(page))
            ExpectInside(WindowRectIn(tabs, control.window), tabArea, "tab page: " + control.name);
        ExpectTidyLayout(page, "tab page");
    }

    HWND list = GetDlgItem(postman.GetMailboxPage().GetHandle(), IDC_MAIL_LIST);
    RECT listArea;
    GetClientRect(list, &listArea);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columnsWidth = 0;
    for (int column = 0; column < Header_GetItemCount(header); ++column)
        columnsWidth += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    EXPECT_LE(columnsWidth, listArea.right) << "the mail list's columns run past its edge";

    HWND viewer = postman.GetMailboxPage().GetViewer().GetHandle();
    SetWindowPos(viewer, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectTidyLayout(viewer, "mail view at its smallest size");
}

#include "postman/mailbox_page.h"

#include "framework/application.h"
#include "framework/list_view.h"
#include "mail/mail_date.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int buttonIconSize = 32;

struct ListColumn {
    UINT title;
    int smallFontWidth;
    int largeFontWidth;
};

const ListColumn listColumns[] = {
    {IDS_COLUMN_SERVER, 75, 80},
    {IDS_COLUMN_SENDER, 110, 110},
    {IDS_COLUMN_SUBJECT, 148, 190},
};

} // namespace

CMailboxPage::CMailboxPage(CMailboxModel& mailbox, CMailCheckControl& checker, Settings& settings,
                           bool smallFontScreen)
    : CTabPage(IDD_MAILBOX_PAGE), mailbox(mailbox), checker(checker), settings(settings),
      smallFontScreen(smallFontScreen), viewer(mailbox, settings, smallFontScreen) {}

HWND CMailboxPage::List() const {
    return GetItem(IDC_MAIL_LIST);
}

bool CMailboxPage::OnInitDialog() {
    InsertColumns();
    SendMessageA(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    checkButton.Subclass(GetItem(IDC_CHECK_BUTTON));
    viewButton.Subclass(GetItem(IDC_VIEW_BUTTON));
    deleteButton.Subclass(GetItem(IDC_DELETE_BUTTON));
    viewButton.SetIcons(IDI_VIEW_HOT, IDI_VIEW, buttonIconSize, buttonIconSize);
    deleteButton.SetIcons(IDI_DELETE_HOT, IDI_DELETE, buttonIconSize, buttonIconSize);

    CreateToolTips();
    SetToolTip(checkButton, IDS_CHECK_MAIL, true);
    SetToolTip(viewButton, IDS_VIEW_MAIL, true);
    SetToolTip(deleteButton, IDS_DELETE_MAIL, true);
    UpdateCheckButton();
    viewer.Create(nullptr); // no owner: it stays up when the postman window hides
    return CTabPage::OnInitDialog();
}

void CMailboxPage::InsertColumns() {
    int index = 0;
    for (const ListColumn& column : listColumns) {
        std::string title = LoadResourceString(column.title);
        LVCOLUMNA item = {};
        item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        item.fmt = LVCFMT_LEFT;
        item.cx = smallFontScreen ? column.smallFontWidth : column.largeFontWidth;
        item.pszText = const_cast<char*>(title.c_str());
        item.iSubItem = index;
        SendMessageA(List(), LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&item));
        ++index;
    }
}

void CMailboxPage::CreateToolTips() {
    // No owner: under Wine an owned pop-up keeps its owner from becoming
    // topmost, which would break the postman window's always-on-top toggle.
    // The page destroys them itself.
    toolTips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
}

void CMailboxPage::SetToolTip(const CIconButton& button, UINT textId, bool add) {
    if (!toolTips)
        return;
    std::string text = LoadResourceString(textId);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    // The tool tips watch the button's own messages, so nothing has to relay them.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle;
    tool.uId = reinterpret_cast<UINT_PTR>(button.GetHandle());
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(toolTips, add ? TTM_ADDTOOLA : TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CMailboxPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && toolTips) {
        DestroyWindow(toolTips);
        toolTips = nullptr;
    }
    if (message == WM_DESTROY && viewer.IsCreated())
        DestroyWindow(viewer.GetHandle());
    return CTabPage::WindowProc(message, wParam, lParam);
}

bool CMailboxPage::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_CHECK_BUTTON:
        if (code == BN_CLICKED)
            checker.StartMailCheck();
        return true;
    case IDC_VIEW_BUTTON:
        // A set ViewButton runs the mail client instead (not offered yet).
        if (code == BN_CLICKED && settings.ViewButton == 0)
            ViewSelectedMail();
        return true;
    case ID_MAIL_VIEW:
        ViewSelectedMail();
        return true;
    }
    return false;
}

bool CMailboxPage::OnNotify(NMHDR* header, LRESULT&) {
    if (header->idFrom != IDC_MAIL_LIST)
        return false;
    if (header->code == NM_DBLCLK) {
        ViewSelectedMail();
        return true;
    }
    if (header->code == NM_RCLICK) {
        POINT cursor;
        GetCursorPos(&cursor);
        ShowListMenu(cursor);
        return true;
    }
    return false;
}

void CMailboxPage::ShowListMenu(POINT screen) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAILBOX_MENU));
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, handle,
                   nullptr);
    DestroyMenu(menu);
}

void CMailboxPage::ViewSelectedMail() {
    CListView list(List());
    int row = list.GetSelectionMark();
    if (row < 0) {
        if (list.GetCount() == 0)
            return;
        row = 0;
        list.SelectRow(row);
    }
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    if (row >= static_cast<int>(mails.size()) || mails[row].senderName == errorRowSender)
        return;
    ShowWindow(viewer.GetHandle(), SW_SHOW);
    SetForegroundWindow(viewer.GetHandle());
    viewer.ViewMail(row);
}

void CMailboxPage::HideViewer() {
    ShowWindow(viewer.GetHandle(), SW_HIDE);
}

void CMailboxPage::AddRow(const std::string& serverName, const std::string& sender,
                          const std::string& subject, int row) {
    HWND list = List();
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = std::clamp(row, 0, count);
    item.pszText = const_cast<char*>(serverName.c_str());
    int inserted = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted < 0)
        return;
    ++rowCount;

    const std::string* columns[] = {&sender, &subject};
    for (int column = 1; column <= 2; ++column) {
        LVITEMA text = {};
        text.iSubItem = column;
        text.pszText = const_cast<char*>(columns[column - 1]->c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&text));
    }
    SendMessageA(list, LVM_SCROLL, 1, 100);
}

void CMailboxPage::ClearRows() {
    rowCount = 0;
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
}

void CMailboxPage::UpdateCheckButton() {
    bool running = mailbox.IsCheckRunning();
    if (running)
        checkButton.SetIcons(IDI_STOP_HOT, IDI_STOP, buttonIconSize, buttonIconSize);
    else
        checkButton.SetIcons(IDI_CHECK_HOT, IDI_CHECK, buttonIconSize, buttonIconSize);
    SetToolTip(checkButton, running ? IDS_STOP_CHECK : IDS_CHECK_MAIL, false);
}

void CMailboxPage::ShowLastCheck(CCalendarTime checkTime) {
    SetItemText(IDC_LAST_CHECK, LoadResourceString(IDS_LAST_CHECK) + FormatClockTime(checkTime));
}

void CMailboxPage::ShowArrivedCount() {
    char count[16];
    std::snprintf(count, sizeof count, "%3d", mailbox.GetListedMailCount());
    SetItemText(IDC_ARRIVED_COUNT, LoadResourceString(IDS_ARRIVED_COUNT) + count);
}

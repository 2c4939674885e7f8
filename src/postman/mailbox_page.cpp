#include "postman/mailbox_page.h"

#include "base/ascii_text.h"

#include "widgets/mail_client.h"
#include "core/mail_deletion.h"
#include "core/user_texts.h"
#include "framework/application.h"
#include "framework/message_box.h"
#include "mail/charset.h"
#include "mail/mail_date.h"
#include "postman/address_book_entry_dlg.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int buttonIconSize = 32;

const ListViewColumn listColumns[] = {
    {IDS_COLUMN_SERVER, 75},
    {IDS_COLUMN_SENDER, 110},
    {IDS_COLUMN_SUBJECT, 148},
};

const int pageControls[] = {IDC_CHECK_BUTTON, IDC_VIEW_BUTTON, IDC_DELETE_BUTTON, IDC_MAIL_LIST};

bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

} // namespace

CMailboxPage::CMailboxPage(CMailboxModel& mailbox, CMailCheckControl& checker, CMailboxPageHost& host,
                           bool smallFontScreen)
    : CTabPage(IDD_MAILBOX_PAGE), mailbox(mailbox), checker(checker), host(host),
      settings(host.GetSettings()), viewer(mailbox, settings, smallFontScreen) {}

HWND CMailboxPage::List() const {
    return GetItem(IDC_MAIL_LIST);
}

bool CMailboxPage::OnInitDialog() {
    list.Attach(List());
    list.InsertColumns(listColumns);
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
    return CTabPage::OnInitDialog();
}

CMailViewDlg& CMailboxPage::GetViewer() {
    if (!viewer.IsCreated()) {
        viewer.Create(nullptr); // no owner: it stays up when the postman window hides
        viewer.SetReplyAction([this](const std::string& address, const std::u16string& subject) {
            host.StartReply(address, subject);
        });
    }
    return viewer;
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

void CMailboxPage::OnDestroy() {
    deleteJob.Cancel();
}

bool CMailboxPage::OnCommand(int id, int code, HWND) {
    // Buttons say BN_CLICKED (0), menus 0 as well.
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_CHECK_BUTTON:
        checker.startOrStop();
        return true;
    case IDC_VIEW_BUTTON:
        if (settings.ViewButton == 0)
            ViewSelectedMail();
        else
            OnMailClientButton();
        return true;
    case IDC_DELETE_BUTTON:
    case ID_MAIL_DELETE:
        OnDelete();
        return true;
    case ID_MAIL_REPLY:
        OnReply();
        return true;
    case ID_MAIL_CLIENT:
        OnAccountMailClient();
        return true;
    case ID_MAIL_ADD_SPAM:
        OnAddToSpam();
        return true;
    case ID_MAIL_ADD_ADDRESS:
        OnAddToAddressBook();
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

bool CMailboxPage::PreTranslateMessage(MSG& message) {
    return IsKeyMessage(message.message) && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

void CMailboxPage::ShowListMenu(POINT screen) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAILBOX_MENU));
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, handle,
                   nullptr);
    DestroyMenu(menu);
}

const MailHeader* CMailboxPage::SelectedMail(bool listedOnly) const {
    int row = list.GetSelectionMark();
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    if (row < 0 || row >= static_cast<int>(mails.size()))
        return nullptr;
    const MailHeader& mail = mails[row];
    if (listedOnly && mail.IsErrorRow())
        return nullptr;
    return &mail;
}

void CMailboxPage::OnReply() {
    if (const MailHeader* mail = SelectedMail(true))
        host.StartReply(mail->senderAddress, ShownSubject(*mail));
}

void CMailboxPage::OnAddToSpam() {
    const MailHeader* mail = SelectedMail(true);
    if (!mail || mail->senderAddress.empty())
        return;
    std::string address = mail->senderAddress;
    if (ShowMessage(handle, "E-mail : " + address + "\n\n 이 주소를 스팸 메일에 추가 하시겠습니까?",
                    MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    std::vector<std::string>& spam = settings.spamAddresses;
    if (std::find(spam.begin(), spam.end(), address) == spam.end())
        spam.push_back(address);
}

void CMailboxPage::OnAddToAddressBook() {
    if (const MailHeader* mail = SelectedMail(true)) {
        MailHeader copy = *mail; // the entry dialog's modal loop may let a check clear the list
        AddToAddressBook(handle, settings, copy.senderName, copy.senderAddress);
    }
}

void CMailboxPage::OnAccountMailClient() {
    const MailHeader* mail = SelectedMail(false);
    if (!mail || mail->serverIndex < 0 || mail->serverIndex >= static_cast<int>(settings.servers.size()))
        return;
    const ServerEntry& account = settings.servers[mail->serverIndex];
    LaunchMailClient(account.MailClient, account.MailClientFile, handle);
    checker.mailClientStarted();
}

void CMailboxPage::OnMailClientButton() {
    HideViewer();
    host.HideWindow();
    LaunchMailClient(settings.MailClient, settings.MailClientFile);
    checker.mailClientStarted();
}

void CMailboxPage::OnDelete() {
    if (deleteJob.IsRunning())
        return;
    // Also while a stopped check finishes its account: both would use the
    // one scratch file of the fetches.
    if (mailbox.IsCheckActive()) {
        ShowMessage(handle, "메일 체크 중에는 삭제 할 수 없습니다.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    HideViewer();
    host.SetStatusText("메일 삭제 중...");
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    auto deletions = std::make_shared<std::vector<Deletion>>();
    for (int row : list.GetSelectedRows()) {
        if (row >= static_cast<int>(mails.size()) || mails[row].IsErrorRow())
            continue;
        const MailHeader& mail = mails[row];
        bool known = mail.serverIndex >= 0 && mail.serverIndex < static_cast<int>(settings.servers.size());
        deletions->push_back({row, mail, known, known ? settings.servers[mail.serverIndex] : ServerEntry()});
    }
    auto removed = std::make_shared<std::vector<int>>();
    bool started = !deletions->empty() && deleteJob.Start(
                                              [this, deletions, removed](CJobControl& control) {
                                                  *removed = DeleteOnServers(*deletions, control);
                                              },
                                              [this, removed] { OnDeleteFinished(*removed); });
    if (!started) {
        if (!deletions->empty())
            ShowMessage(handle, DeletionFailureText(DeletionResult::Failed), MB_OK | MB_ICONEXCLAMATION);
        OnDeleteFinished({});
        return;
    }
    EnableControls(false);
}

std::vector<int> CMailboxPage::DeleteOnServers(const std::vector<Deletion>& deletions, CJobControl& control) {
    std::vector<int> removed;
    for (const Deletion& deletion : deletions) {
        if (control.IsCancelled())
            break;
        DeletionResult result = DeletionResult::Failed;
        if (deletion.accountKnown) {
            const MailHeader& mail = deletion.mail;
            std::string question =
                DeletionQuestion(deletion.account.Name, mail.subject, mail.senderAddress, mail.dateText);
            auto confirm = [&] {
                bool yes = false;
                control.Report(
                    [&] { yes = ShowMessage(handle, question, MB_YESNO | MB_ICONQUESTION) == IDYES; });
                return yes;
            };
            result = DeleteMailOnServer(deletion.account, deletion.mail, confirm, control.RunningFlag());
        }
        if (result == DeletionResult::Deleted || result == DeletionResult::NotOnServer ||
            result == DeletionResult::MarkedOnly)
            removed.push_back(deletion.row);
        if (result == DeletionResult::Failed || result == DeletionResult::Ambiguous ||
            result == DeletionResult::MarkedOnly)
            control.Report([this, result] {
                ShowMessage(handle, DeletionFailureText(result), MB_OK | MB_ICONEXCLAMATION);
            });
    }
    return removed;
}

void CMailboxPage::OnDeleteFinished(const std::vector<int>& removedRows) {
    EnableControls(true);
    for (auto row = removedRows.rbegin(); row != removedRows.rend(); ++row) {
        // No check ran meanwhile, so the rows are where they were.
        mailbox.RemoveMail(*row);
        if (list.DeleteRow(*row))
            --rowCount;
    }
    ShowArrivedCount();
    host.SetStatusText("");
}

void CMailboxPage::EnableControls(bool enable) {
    if (!enable)
        focusBeforeDelete = GetFocus();
    for (int id : pageControls)
        EnableWindow(GetItem(id), enable);
    if (enable && focusBeforeDelete && IsChild(handle, focusBeforeDelete))
        SetFocus(focusBeforeDelete);
}

void CMailboxPage::ViewSelectedMail() {
    int row = list.GetSelectionMark();
    if (row < 0) {
        if (list.GetCount() == 0)
            return;
        row = 0;
        list.SelectRow(row);
    }
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    if (row >= static_cast<int>(mails.size()) || mails[row].IsErrorRow())
        return;
    HWND viewerWindow = GetViewer().GetHandle();
    ShowWindow(viewerWindow, SW_SHOW);
    SetForegroundWindow(viewerWindow);
    viewer.ViewMail(row);
}

void CMailboxPage::HideViewer() {
    if (viewer.IsCreated())
        ShowWindow(viewer.GetHandle(), SW_HIDE);
}

void CMailboxPage::AddRow(const std::string& serverName, const std::u16string& sender,
                          const std::u16string& subject, int row) {
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

    // The list keeps Unicode texts whatever call made the row.
    std::u16string columns[] = {sender, subject};
    for (int column = 1; column <= 2; ++column) {
        LVITEMW text = {};
        text.iSubItem = column;
        text.pszText = reinterpret_cast<wchar_t*>(&columns[column - 1][0]);
        SendMessageW(list, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&text));
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
    SetItemText(IDC_ARRIVED_COUNT,
                LoadResourceString(IDS_ARRIVED_COUNT) + DecimalText(mailbox.GetListedMailCount(), 3));
}

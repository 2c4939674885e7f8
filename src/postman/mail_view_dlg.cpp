#include "postman/mail_view_dlg.h"

#include "core/user_texts.h"
#include "framework/message_box.h"
#include "framework/screen_dpi.h"
#include "mail/charset.h"
#include "mail/mail_store.h"
#include "resource.h"

#include <algorithm>

namespace {

// The button row under the body: previous, next, reply, close. Its sizes,
// the margins of the layout and the smallest window are pixels at 96 DPI.
const int buttonIds[] = {ID_VIEW_PREVIOUS, ID_VIEW_NEXT, ID_VIEW_REPLY, IDC_VIEW_CLOSE};
constexpr int buttonWidth = 65, buttonHeight = 26, buttonPitch = 70, buttonRowHeight = 33;
constexpr int minimumWidth = 460, minimumHeight = 306;

// Puts a Unicode edit control in the place of dialog item `id`: the ANSI
// dialog makes ANSI ones, which keep only what code page 949 holds.
void MakeUnicodeEdit(HWND dialog, int id) {
    HWND old = GetDlgItem(dialog, id);
    RECT rect;
    GetWindowRect(old, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    HWND edit = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(old, GWL_EXSTYLE)), L"EDIT", L"",
                                static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)), rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                nullptr);
    if (!edit)
        return;
    SendMessageW(edit, WM_SETFONT, SendMessageW(old, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(edit, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // same tab order
    DestroyWindow(old);
}

void SetWideText(HWND dialog, int id, const std::u16string& text) {
    SetDlgItemTextW(dialog, id, reinterpret_cast<const wchar_t*>(text.c_str()));
}

} // namespace

CMailViewDlg::CMailViewDlg(const CMailboxModel& mailbox, const Settings& settings, bool smallFontScreen)
    : CDialog(IDD_MAIL_VIEW), mailbox(mailbox), settings(settings), smallFontScreen(smallFontScreen) {}

bool CMailViewDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    largeIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VIEW_HOT));
    SendMessageA(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    browser.Create(handle, RECT{0, 0, 10, 10});
    MakeUnicodeEdit(handle, IDC_VIEW_SENDER);
    MakeUnicodeEdit(handle, IDC_VIEW_SUBJECT);
    RECT client;
    GetClientRect(handle, &client);
    Layout(client.right, client.bottom);
    CenterOnWorkArea(); // where it first shows; later it stays where the user put it
    return true;
}

void CMailViewDlg::SetReplyAction(ReplyAction action) {
    replyAction = std::move(action);
    EnableWindow(GetItem(ID_VIEW_REPLY), replyAction != nullptr);
}

void CMailViewDlg::ViewMail(int row) {
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    if (row < 0 || row >= static_cast<int>(mails.size()) || mails[row].IsErrorRow())
        return;
    const MailHeader& mail = mails[row];
    index = row;
    if (!fetchingFile.empty() && fetchingFile == mail.storeFile)
        return; // shown already, its body on the way
    CancelFetch();
    senderName = ShownSenderName(mail);
    senderAddress = mail.senderAddress;
    dateText = mail.dateText;
    subject = ShownSubject(mail);
    storeFile = mail.storeFile;
    ShowMail();
    FetchWholeMail(mail);
}

void CMailViewDlg::FetchWholeMail(const MailHeader& mail) {
    if (mail.serverIndex < 0 || mail.serverIndex >= static_cast<int>(settings.servers.size()) ||
        !IsHeaderOnlyStoreFile(mail.storeFile))
        return;
    // A cancelled fetch is let go at once: it ends on its own within a second
    // and can no longer reach this window.
    fetchJob = std::make_unique<CBackgroundJob>();
    fetchJob->LetGoOnCancel();
    auto fetch = std::make_shared<MailFetch>();
    const ServerEntry account = settings.servers[mail.serverIndex];
    const bool started = fetchJob->Start(
        [account, mail, fetch](CJobControl& control) {
            *fetch = FetchMailWhole(account, mail, control.RunningFlag());
        },
        [this, fetch] { OnFetchFinished(*fetch); });
    if (!started) {
        ShowMessage(handle, FetchFailedText(std::string()), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    fetchingFile = mail.storeFile;
    SetItemText(IDC_VIEW_FRAME, fetchingBodyText);
}

void CMailViewDlg::OnFetchFinished(const MailFetch& fetch) {
    fetchingFile.clear();
    SetItemText(IDC_VIEW_FRAME, "");
    if (!fetch.fetched) {
        ShowMessage(handle, fetch.failure, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    storeFile = fetch.storeFile;
    browser.Navigate("file://" + storeFile);
}

void CMailViewDlg::CancelFetch() {
    if (fetchingFile.empty())
        return;
    fetchJob.reset();
    fetchingFile.clear();
    SetItemText(IDC_VIEW_FRAME, "");
}

void CMailViewDlg::ShowMail() {
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    const int server = index < static_cast<int>(mails.size()) ? mails[index].serverIndex : -1;
    SetItemText(IDC_VIEW_ACCOUNT, server >= 0 && server < static_cast<int>(settings.servers.size())
                                      ? settings.servers[server].Name
                                      : std::string());
    const std::u16string address = Cp949ToUtf16(senderAddress);
    senderText = senderName.empty() ? address : senderName + u" <" + address + u">";
    browser.Navigate("file://" + storeFile);
    SetWideText(handle, IDC_VIEW_SENDER, senderText);
    SetItemText(IDC_VIEW_DATE, dateText);
    SetWideText(handle, IDC_VIEW_SUBJECT, subject);
}

void CMailViewDlg::StepMail(int step) {
    const std::vector<MailHeader>& mails = mailbox.GetArrivedMails();
    for (int row = index + step; row >= 0 && row < static_cast<int>(mails.size()); row += step) {
        if (!mails[row].IsErrorRow()) {
            ViewMail(row);
            return;
        }
    }
}

bool CMailViewDlg::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case ID_VIEW_PREVIOUS:
        StepMail(-1);
        return true;
    case ID_VIEW_NEXT:
        StepMail(1);
        return true;
    case ID_VIEW_REPLY:
        if (replyAction) {
            replyAction(senderAddress, subject);
            ShowWindow(handle, SW_HIDE);
        }
        return true;
    case IDC_VIEW_CLOSE:
        ShowWindow(handle, SW_HIDE);
        return true;
    }
    return false;
}

void CMailViewDlg::OnCancel() {
    // Esc and the caption's close button hide the window; it is never destroyed here.
    ShowWindow(handle, SW_HIDE);
}

void CMailViewDlg::Layout(int width, int height) {
    const int margin = ScaleToSystemDpi(5);
    MoveWindow(GetItem(IDC_VIEW_FRAME), margin, ScaleToSystemDpi(2), width - 2 * margin,
               height - ScaleToSystemDpi(40), TRUE);
    // The body starts below the subject field even where the dialog font
    // is larger than these pixel places were drawn for.
    RECT resourcePlace = {8, 67, 0, 0};
    MapDialogRect(handle, &resourcePlace);
    const int top = std::max(smallFontScreen ? 102 : 126, static_cast<int>(resourcePlace.top));
    const int inset = ScaleToSystemDpi(14);
    MoveWindow(browser.GetHandle(), inset, top, width - 2 * inset, height - top - ScaleToSystemDpi(46), TRUE);
    int x = margin;
    for (int id : buttonIds) {
        MoveWindow(GetItem(id), x, height - ScaleToSystemDpi(buttonRowHeight), ScaleToSystemDpi(buttonWidth),
                   ScaleToSystemDpi(buttonHeight), TRUE);
        x += ScaleToSystemDpi(buttonPitch);
    }
}

LRESULT CMailViewDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWWINDOW:
        // Hidden by a command (not with its owner): the mail is put away.
        if (!wParam && lParam == 0)
            CancelFetch();
        break;
    case WM_DESTROY:
        CancelFetch();
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            Layout(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        // Wide enough for the header fields, which keep their dialog-unit places.
        limits->ptMinTrackSize = {ScaleToSystemDpi(minimumWidth), ScaleToSystemDpi(minimumHeight)};
        return 0;
    }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

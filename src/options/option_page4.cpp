#include "options/option_page4.h"

#include "core/startup_entry.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "framework/file_dialog.h"
#include "options/option_fields.h"
#include "resource.h"

namespace {
// DefaultItem is the position of the double-click command in the tray menu.
constexpr int checkNowPosition = 0;
constexpr int postmanPosition = 2;
constexpr int viewInClientChoice = 1;
} // namespace

COptionPage4::COptionPage4(COptionRecord& record) : COptionPage(IDD_OPTION_OTHER, record) {}

void COptionPage4::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_START_CHECK, startCheck);
    dx.Check(IDC_START_WITH_WINDOWS, startWithWindows);
    dx.Check(IDC_UPGRADE_CHECK, upgradeCheck);
    dx.Radio(IDC_DEFAULT_CHECK, defaultItemChoice);
    dx.Radio(IDC_VIEW_IN_WINDOW, viewChoice);
    dx.Radio(IDC_CLIENT_OUTLOOK_EXPRESS, clientChoice);
    dx.Text(IDC_CLIENT_FILE, clientPath);
    dx.Check(IDC_ICON_INIT, iconInit);
    dx.Check(IDC_PASSWORD_YN, passwordYN);
    dx.Text(IDC_PROGRAM_PASSWORD, password);
}

bool COptionPage4::OnInitDialog() {
    const Settings& settings = record.Current();
    defaultItemChoice = settings.DefaultItem == checkNowPosition  ? 0
                        : settings.DefaultItem == postmanPosition ? 1
                                                                  : -1;
    startCheck = settings.StartCheck ? BST_CHECKED : BST_UNCHECKED;
    startWithWindows = IsStartedWithWindows() ? 1 : 0;
    upgradeCheck = settings.UpgradeCheck ? BST_CHECKED : BST_UNCHECKED;
    viewChoice = settings.ViewButton != 0 ? viewInClientChoice : 0;
    clientChoice = ClientChoiceOf(settings.MailClient);
    // A preset client starts with an empty path edit.
    clientPath = clientChoice == otherClientChoice ? settings.MailClientFile : "";
    iconInit = settings.IconInit ? BST_CHECKED : BST_UNCHECKED;
    passwordYN = settings.PasswordYN ? BST_CHECKED : BST_UNCHECKED;
    password = settings.Password;
    FillControls();
    ApplyClientEnabling();
    EnableWindow(GetItem(IDC_PROGRAM_PASSWORD), passwordYN == BST_CHECKED);
    return true;
}

void COptionPage4::ApplyClientEnabling() {
    bool client = viewChoice == viewInClientChoice;
    for (int id : {IDC_CLIENT_OUTLOOK_EXPRESS, IDC_CLIENT_OUTLOOK, IDC_CLIENT_NETSCAPE, IDC_CLIENT_OTHER})
        EnableWindow(GetItem(id), client);
    EnableClientPath(*this, client && clientChoice == otherClientChoice);
}

void COptionPage4::BrowseClient() {
    UpdateData(true);
    std::string chosen = ChooseFileToOpen(handle, programFilter);
    if (!chosen.empty())
        clientPath = chosen;
    FillControls();
}

bool COptionPage4::OnCommand(int id, int code, HWND) {
    if ((id == IDC_CLIENT_FILE || id == IDC_PROGRAM_PASSWORD) && code == EN_CHANGE) {
        MarkModified();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_START_CHECK:
    case IDC_START_WITH_WINDOWS:
    case IDC_UPGRADE_CHECK:
    case IDC_DEFAULT_CHECK:
    case IDC_DEFAULT_POSTMAN:
    case IDC_ICON_INIT:
        MarkModified();
        return true;
    case IDC_VIEW_IN_WINDOW:
    case IDC_VIEW_IN_CLIENT:
    case IDC_CLIENT_OUTLOOK_EXPRESS:
    case IDC_CLIENT_OUTLOOK:
    case IDC_CLIENT_NETSCAPE:
    case IDC_CLIENT_OTHER:
        UpdateData(true);
        ApplyClientEnabling();
        MarkModified();
        return true;
    case IDC_BROWSE_CLIENT:
        BrowseClient();
        return true;
    case IDC_RUN_CLIENT:
        OpenWithShell(clientPath);
        return true;
    case IDC_PASSWORD_YN:
        UpdateData(true);
        EnableWindow(GetItem(IDC_PROGRAM_PASSWORD), passwordYN == BST_CHECKED);
        MarkModified();
        return true;
    }
    return false;
}

bool COptionPage4::OnApply() {
    Settings& settings = record.Pending();
    if (defaultItemChoice == 0)
        settings.DefaultItem = checkNowPosition;
    else if (defaultItemChoice == 1)
        settings.DefaultItem = postmanPosition;
    settings.StartCheck = startCheck == BST_CHECKED;
    settings.UpgradeCheck = upgradeCheck == BST_CHECKED;
    settings.ViewButton = viewChoice == viewInClientChoice ? 1 : 0;
    settings.MailClient = MailClientOf(clientChoice);
    if (clientChoice == otherClientChoice)
        settings.MailClientFile = clientPath;
    settings.IconInit = iconInit == BST_CHECKED;
    settings.PasswordYN = passwordYN == BST_CHECKED;
    settings.Password = password; // exactly as typed
    if ((startWithWindows == 1) != IsStartedWithWindows() && !SetStartWithWindows(startWithWindows == 1))
        ShowMessage(handle, "Windows 시작 프로그램 목록을 바꾸지 못했습니다.", MB_OK | MB_ICONWARNING);
    return COptionPage::OnApply();
}

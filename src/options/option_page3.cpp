#include "options/option_page3.h"

#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "options/spam_address_dlg.h"
#include "resource.h"

COptionPage3::COptionPage3(COptionRecord& record) : COptionPage(IDD_OPTION_SPAM, record) {}

HWND COptionPage3::List() const {
    return GetItem(IDC_SPAM_LIST);
}

void COptionPage3::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_SPAM_YN, filterOn);
    dx.Check(IDC_SPAM_IGNORE, ignoreSpam);
    dx.Check(IDC_SPAM_DELETE, deleteSpam);
    dx.ListTexts(IDC_SPAM_LIST, workingSpamList);
}

bool COptionPage3::OnInitDialog() {
    const Settings& settings = record.Current();
    filterOn = settings.SpamMailYN ? BST_CHECKED : BST_UNCHECKED;
    ignoreSpam = settings.SpamMailMethod == 0 ? BST_CHECKED : BST_UNCHECKED;
    deleteSpam = settings.SpamMailMethod == 1 ? BST_CHECKED : BST_UNCHECKED;
    workingSpamList = settings.spamAddresses;
    spamListSeen = workingSpamList;
    FillControls();
    ApplyEnablingRule();
    return true;
}

void COptionPage3::ApplyEnablingRule() {
    bool on = filterOn == BST_CHECKED;
    for (int id : {IDC_SPAM_METHOD_GROUP, IDC_SPAM_IGNORE, IDC_SPAM_DELETE, IDC_ADD_SPAM_ADDRESS,
                   IDC_DELETE_SPAM_ADDRESS, IDC_SPAM_RULE_LABEL, IDC_SPAM_LIST})
        EnableWindow(GetItem(id), on);
}

bool COptionPage3::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ADD_SPAM_ADDRESS:
        AddAddress();
        return true;
    case IDC_DELETE_SPAM_ADDRESS:
        DeleteAddress();
        return true;
    case IDC_SPAM_YN:
        UpdateData(true);
        ApplyEnablingRule();
        MarkModified();
        return true;
    case IDC_SPAM_IGNORE:
    case IDC_SPAM_DELETE:
        MarkModified();
        return true;
    }
    return false;
}

void COptionPage3::AddAddress() {
    CSpamAddressDlg dialog;
    if (dialog.DoModal(handle) != IDOK)
        return;
    SendMessageA(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(dialog.address.c_str()));
    workingSpamList.push_back(dialog.address);
    MarkModified();
}

void COptionPage3::DeleteAddress() {
    int line = static_cast<int>(SendMessageA(List(), LB_GETCURSEL, 0, 0));
    if (line < 0 || line >= static_cast<int>(workingSpamList.size())) {
        ShowMessage(handle, "삭제할 주소를 먼저 선택 하십시요.", "선택 에러", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string question = workingSpamList[line] + "을(를) 삭제 하시겠습니까?";
    if (ShowMessage(handle, question, "Tidemark Wow!", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    workingSpamList.erase(workingSpamList.begin() + line);
    SendMessageA(List(), LB_DELETESTRING, line, 0);
    MarkModified();
}

bool COptionPage3::OnApply() {
    Settings& settings = record.Pending();
    settings.SpamMailYN = filterOn == BST_CHECKED;
    if (ignoreSpam == BST_CHECKED)
        settings.SpamMailMethod = 0;
    else if (deleteSpam == BST_CHECKED)
        settings.SpamMailMethod = 1;
    // Senders added from the mailbox while the page was open stay filtered.
    KeepAddedMeanwhile(spamListSeen, record.Current().spamAddresses, workingSpamList);
    spamListSeen = workingSpamList;
    FillControls();
    settings.spamAddresses = workingSpamList;
    return COptionPage::OnApply();
}

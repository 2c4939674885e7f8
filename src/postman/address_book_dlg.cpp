#include "postman/address_book_dlg.h"

#include "core/settings.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "mail/mail_address.h"
#include "postman/address_book_entry_dlg.h"
#include "resource.h"

namespace {
const ListViewColumn columns[] = {
    {"이름", 63},
    {"E-mail", 130},
};
} // namespace

CAddressBookDlg::CAddressBookDlg(Settings& settings) : CDialog(IDD_ADDRESS_BOOK), settings(settings) {}

bool CAddressBookDlg::OnInitDialog() {
    list.Attach(GetItem(IDC_ADDRESS_LIST));
    list.UseFullRowSelect();
    list.InsertColumns(columns);
    for (const MailAddress& entry : settings.addressBook)
        list.AddRow({entry.displayName, entry.address});
    return CDialog::OnInitDialog();
}

void CAddressBookDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_RECIPIENTS, recipients);
}

bool CAddressBookDlg::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ADDRESS_ADD:
        OnAdd();
        return true;
    case IDC_ADDRESS_DELETE:
        OnDelete();
        return true;
    case IDC_ADDRESS_PROPERTIES:
        OnProperties();
        return true;
    }
    return false;
}

bool CAddressBookDlg::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_ADDRESS_LIST || header->code != NM_DBLCLK)
        return false;
    OnListDoubleClick();
    result = 0;
    return true;
}

int CAddressBookDlg::SelectedEntry() {
    int index = list.GetSelectionMark();
    if (index >= 0 && index < static_cast<int>(settings.addressBook.size()))
        return index;
    ShowMessage(handle, "주소를 먼저 선택 하십시요.", "선택 에러", MB_OK | MB_ICONINFORMATION);
    return -1;
}

void CAddressBookDlg::OnAdd() {
    CAddressBookEntryDlg entry;
    if (entry.DoModal(handle) != IDOK)
        return;
    list.AddRow({entry.name, entry.email});
    settings.addressBook.push_back({entry.name, entry.email});
}

void CAddressBookDlg::OnDelete() {
    int index = SelectedEntry();
    if (index < 0)
        return;
    std::string question = settings.addressBook[index].displayName + "을(를) 삭제 하시겠습니까?";
    if (ShowMessage(handle, question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    settings.addressBook.erase(settings.addressBook.begin() + index);
    list.DeleteRow(index);
}

void CAddressBookDlg::OnProperties() {
    int index = SelectedEntry();
    if (index < 0)
        return;
    MailAddress& held = settings.addressBook[index];
    CAddressBookEntryDlg entry(held.displayName, held.address);
    if (entry.DoModal(handle) != IDOK)
        return;
    held = {entry.name, entry.email};
    list.SetRow(index, {entry.name, entry.email});
}

void CAddressBookDlg::OnListDoubleClick() {
    int index = list.GetSelectionMark();
    if (index < 0 || index >= static_cast<int>(settings.addressBook.size()))
        return;
    AppendRecipient(recipients, settings.addressBook[index].address);
    UpdateData(false);
}

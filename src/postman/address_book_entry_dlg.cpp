#include "postman/address_book_entry_dlg.h"

#include "core/settings.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "base/ascii_text.h"
#include "resource.h"

#include <algorithm>

CAddressBookEntryDlg::CAddressBookEntryDlg(const std::string& name, const std::string& email)
    : CDialog(IDD_ADDRESS_ENTRY), name(name), email(email) {}

void CAddressBookEntryDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_ENTRY_NAME, name);
    dx.Text(IDC_ENTRY_EMAIL, email);
}

void CAddressBookEntryDlg::OnOK() {
    UpdateData(true);
    name = TrimWhiteSpace(name);
    email = TrimWhiteSpace(email);
    UpdateData(false);
    if (!name.empty() && !email.empty())
        EndDialog(IDOK);
    else
        ShowMessage(handle, "이름과 E-mail 주소를 모두 입력하시기 바랍니다.", "입력 에러",
                    MB_OK | MB_ICONINFORMATION);
}

bool AddToAddressBook(HWND owner, Settings& settings, const std::string& name, const std::string& email) {
    CAddressBookEntryDlg entry(name, email);
    if (entry.DoModal(owner) != IDOK)
        return false;
    std::vector<MailAddress>& book = settings.addressBook;
    if (std::any_of(book.begin(), book.end(),
                    [&](const MailAddress& held) { return held.address == entry.email; }))
        return false;
    book.push_back({entry.name, entry.email});
    return true;
}

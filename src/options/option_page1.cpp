#include "options/option_page1.h"

#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "options/server_prop_dlg.h"
#include "resource.h"

#include <commctrl.h>

namespace {

constexpr int shortestInterval = 1;
constexpr int longestInterval = 1440; // minutes: one day

const ListViewColumn serverColumns[] = {
    {"서버 이름", 110},
    {"아이디", 130},
};

// The server properties dialog edits every value but the check box and the mark.
void CopyEditableValues(const ServerEntry& from, ServerEntry& to) {
    ServerEntry edited = from;
    edited.CheckYN = to.CheckYN;
    edited.LastMailDate = to.LastMailDate;
    to = edited;
}

} // namespace

COptionPage1::COptionPage1(COptionRecord& record) : COptionPage(IDD_OPTION_INCOMING, record) {}

void COptionPage1::DoDataExchange(CDataExchange& dx) {
    dx.Int(IDC_CHECK_INTERVAL, checkInterval, shortestInterval, longestInterval);
}

bool COptionPage1::OnInitDialog() {
    const Settings& settings = record.Current();
    checkInterval = settings.Duration;
    SendMessageA(GetItem(IDC_INTERVAL_SPIN), UDM_SETRANGE32, shortestInterval, longestInterval);
    serverList.Attach(GetItem(IDC_SERVER_LIST));
    serverList.UseCheckBoxes();
    serverList.UseFullRowSelect();
    serverList.InsertColumns(serverColumns);
    workingServers = settings.servers;
    for (const ServerEntry& server : workingServers) {
        int row = serverList.AddRow({server.Name, server.ID});
        serverList.SetChecked(row, server.CheckYN);
    }
    FillControls();
    return true;
}

bool COptionPage1::OnCommand(int id, int code, HWND) {
    if (id == IDC_CHECK_INTERVAL && code == EN_CHANGE) {
        MarkModified();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ADD_SERVER:
        AddServer();
        return true;
    case IDC_DELETE_SERVER:
        DeleteServer();
        return true;
    case IDC_SERVER_PROPERTIES:
        EditServer();
        return true;
    }
    return false;
}

bool COptionPage1::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_SERVER_LIST && header->code == NM_DBLCLK) {
        EditServer();
        result = 0;
        return true;
    }
    return false;
}

int COptionPage1::MarkedRow() {
    int row = serverList.GetSelectionMark();
    if (row < 0 || row >= static_cast<int>(workingServers.size())) {
        ShowMessage(handle, "서버를 먼저 선택 하십시요.", "선택 에러", MB_OK | MB_ICONINFORMATION);
        return -1;
    }
    return row;
}

void COptionPage1::AddServer() {
    CServerPropDlg dialog;
    if (dialog.DoModal(handle) != IDOK)
        return;
    ServerEntry added;
    CopyEditableValues(dialog.server, added);
    int row = serverList.AddRow({added.Name, added.ID});
    serverList.SetChecked(row, true);
    workingServers.push_back(added);
    MarkModified();
}

void COptionPage1::DeleteServer() {
    int row = MarkedRow();
    if (row < 0)
        return;
    std::string question = serverList.GetText(row, 0) + "을(를) 삭제 하시겠습니까?";
    if (ShowMessage(handle, question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    workingServers.erase(workingServers.begin() + row);
    serverList.DeleteRow(row);
    MarkModified();
}

void COptionPage1::EditServer() {
    int row = MarkedRow();
    if (row < 0)
        return;
    CServerPropDlg dialog;
    dialog.editIndex = row;
    CopyEditableValues(workingServers[row], dialog.server);
    if (dialog.DoModal(handle) != IDOK)
        return;
    CopyEditableValues(dialog.server, workingServers[row]);
    serverList.SetRow(row, {dialog.server.Name, dialog.server.ID});
    MarkModified();
}

bool COptionPage1::OnApply() {
    Settings& settings = record.Pending();
    settings.Duration = checkInterval;
    settings.servers = workingServers;
    for (int row = 0; row < static_cast<int>(settings.servers.size()); ++row)
        settings.servers[row].CheckYN = serverList.IsChecked(row);
    TakeCheckMarks(record.Current().servers, settings.servers); // a check may have run meanwhile
    return COptionPage::OnApply();
}

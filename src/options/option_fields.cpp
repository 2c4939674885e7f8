#include "options/option_fields.h"

#include "framework/data_exchange.h"
#include "resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

namespace {
constexpr int lowestPort = 1;
constexpr int highestPort = 65535;
} // namespace

const char programFilter[] = "실행 파일 (*.exe, *.com)|*.exe;*.com|모든 파일 (*.*)|*.*||";

void ExchangePort(CDataExchange& dx, int id, int& port) {
    dx.Int(id, port, lowestPort, highestPort);
}

void SetPortSpinRange(const CWindow& dialog, int spinId) {
    SendMessageA(dialog.GetItem(spinId), UDM_SETRANGE32, lowestPort, highestPort);
}

void SuggestUsualPort(const CWindow& dialog, int securityId, int portId, int (*usualPort)(ConnectionSecurity),
                      std::initializer_list<int> usualPorts) {
    const int chosen = static_cast<int>(SendMessageA(dialog.GetItem(securityId), CB_GETCURSEL, 0, 0));
    BOOL isNumber = FALSE;
    const int port = static_cast<int>(GetDlgItemInt(dialog.GetHandle(), portId, &isNumber, FALSE));
    if (isNumber && std::find(usualPorts.begin(), usualPorts.end(), port) != usualPorts.end())
        SetDlgItemInt(dialog.GetHandle(), portId, static_cast<UINT>(usualPort(SecurityOf(chosen))), FALSE);
}

int FillSecurityChoices(const CWindow& dialog, int comboId, const char* const (&texts)[3], int stored) {
    HWND combo = dialog.GetItem(comboId);
    for (const char* text : texts)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (IsKnownSecurity(stored))
        return stored;
    const std::string unknown = "알 수 없음 (" + std::to_string(stored) + ") - TLS 연결로 사용";
    return static_cast<int>(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unknown.c_str())));
}

int StoredSecurityOf(int chosen, int stored) {
    return chosen >= 0 && chosen < 3 ? chosen : stored;
}

std::string HostNameProblem(const std::string& host, const std::string& fieldName) {
    if (host.empty())
        return fieldName + "를 입력 하시기 바랍니다.";
    if (host.find_first_of(" \t\r\n") != std::string::npos)
        return fieldName + "에는 빈칸이 들어갈 수 없습니다.";
    return "";
}

int ClientChoiceOf(int mailClient) {
    return mailClient >= 1 && mailClient <= 3 ? mailClient - 1 : otherClientChoice;
}

int MailClientOf(int choice) {
    return choice >= 0 && choice < otherClientChoice ? choice + 1 : otherClientChoice + 1;
}

void EnableClientPath(const CWindow& dialog, bool enable) {
    for (int id : {IDC_CLIENT_FILE, IDC_BROWSE_CLIENT, IDC_RUN_CLIENT})
        EnableWindow(dialog.GetItem(id), enable);
}

void OpenWithShell(const std::string& path) {
    if (!path.empty())
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

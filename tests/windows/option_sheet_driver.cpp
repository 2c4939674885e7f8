#include "option_sheet_driver.h"

#include "resource.h"

#include <prsht.h>

const char optionSheetCaption[] = "환경 설정";
const char serverDialogCaption[] = "메일 서버 등록 정보";
const char passwordDialogCaption[] = "비밀번호 확인";

void RunOptionsCommand(HWND frame, const std::function<void()>& act) {
    CUserThread user(act, {"Tidemark", "선택 에러", "Tidemark Wow!", "단어 입력", serverDialogCaption,
                           passwordDialogCaption, optionSheetCaption});
    SendMessageA(frame, WM_COMMAND, ID_OPTIONS, 0);
    user.Join();
}

void UseOptionSheet(HWND frame, const std::function<void(HWND sheet)>& act) {
    RunOptionsCommand(frame, [&] { act(WaitForDialog(optionSheetCaption)); });
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void ShowPage(HWND sheet, int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
}

void ChooseEntry(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void TypeServer(HWND dialog, const TypedServer& server) {
    TypeText(dialog, IDC_SERVER_NAME, server.name);
    TypeText(dialog, IDC_SERVER_ADDRESS, server.host);
    TypeText(dialog, IDC_SERVER_ID, server.id);
    TypeText(dialog, IDC_SERVER_PASSWORD, server.password);
    if (!server.port.empty())
        TypeText(dialog, IDC_SERVER_PORT, server.port);
}

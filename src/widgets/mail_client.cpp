#include "widgets/mail_client.h"

#include "framework/message_box.h"

#include <shellapi.h>

void LaunchMailClient(int code, const std::string& path, HWND owner) {
    std::string command = path, parameters;
    switch (code) {
    case 1:
        command = "msimn";
        break;
    case 2:
        command = "outlook";
        break;
    case 3:
        command = "netscape";
        parameters = "-mail";
        break;
    }
    HINSTANCE result =
        ShellExecuteA(owner, "open", command.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                      nullptr, SW_SHOWNOACTIVATE);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        ShowMessage(owner, "메일 클라이언트의 경로명이 잘못 입력 되었습니다.",
                    "메일 클라이언트 프로그램 실행 오류", MB_OK | MB_ICONEXCLAMATION);
}

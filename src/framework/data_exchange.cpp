#include "framework/data_exchange.h"

#include "framework/dialog.h"
#include "framework/message_box.h"

#include <cerrno>
#include <cstdlib>
#include <climits>

HWND CDataExchange::Control(int id) const {
    return dialog.GetItem(id);
}

void CDataExchange::Fail(int id, const std::string& message) {
    if (failed)
        return;
    failed = true;
    ShowMessage(dialog.GetHandle(), message, MB_OK | MB_ICONEXCLAMATION);
    if (HWND control = Control(id)) {
        SetFocus(control);
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

void CDataExchange::Text(int id, std::string& value) {
    if (failed)
        return;
    if (saving)
        value = dialog.GetItemText(id);
    else
        dialog.SetItemText(id, value);
}

void CDataExchange::Int(int id, int& value) {
    if (failed)
        return;
    if (!saving) {
        dialog.SetItemText(id, std::to_string(value));
        return;
    }
    std::string text = dialog.GetItemText(id);
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(begin, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
        Fail(id, "정수를 입력하십시오.");
        return;
    }
    value = static_cast<int>(number);
}

void CDataExchange::Check(int id, int& value) {
    if (failed)
        return;
    if (saving)
        value = static_cast<int>(SendMessageA(Control(id), BM_GETCHECK, 0, 0));
    else
        SendMessageA(Control(id), BM_SETCHECK, value, 0);
}

void CDataExchange::Radio(int firstId, int& value) {
    if (failed)
        return;
    HWND control = Control(firstId);
    if (saving)
        value = -1;
    for (int index = 0; control; ++index) {
        if (saving && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
            value = index;
        if (!saving)
            SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        control = GetWindow(control, GW_HWNDNEXT);
        if (control && (GetWindowLongA(control, GWL_STYLE) & WS_GROUP))
            break;
    }
}

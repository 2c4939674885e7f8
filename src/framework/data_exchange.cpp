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

bool CDataExchange::ReadInt(int id, int& number) {
    std::string text = dialog.GetItemText(id);
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(begin, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        Fail(id, "정수를 입력하십시오.");
        return false;
    }
    number = static_cast<int>(parsed);
    return true;
}

void CDataExchange::Int(int id, int& value) {
    Int(id, value, INT_MIN, INT_MAX);
}

void CDataExchange::Int(int id, int& value, int minimum, int maximum) {
    if (failed)
        return;
    if (!saving) {
        dialog.SetItemText(id, std::to_string(value));
        return;
    }
    int number = 0;
    if (!ReadInt(id, number))
        return;
    if (number < minimum || number > maximum) {
        Fail(id,
             std::to_string(minimum) + "에서 " + std::to_string(maximum) + " 사이의 정수를 입력하십시오.");
        return;
    }
    value = number;
}

void CDataExchange::ControlState(int id, int& value, UINT getMessage, UINT setMessage) {
    if (failed)
        return;
    if (saving)
        value = static_cast<int>(SendMessageA(Control(id), getMessage, 0, 0));
    else
        SendMessageA(Control(id), setMessage, value, 0);
}

void CDataExchange::Check(int id, int& value) {
    ControlState(id, value, BM_GETCHECK, BM_SETCHECK);
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

void CDataExchange::ComboIndex(int id, int& value) {
    ControlState(id, value, CB_GETCURSEL, CB_SETCURSEL);
}

void CDataExchange::ListTexts(int id, std::vector<std::string>& value) {
    if (failed)
        return;
    HWND list = Control(id);
    if (!saving) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const std::string& line : value)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        return;
    }
    value.clear();
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, index, 0));
        std::vector<char> buffer(length > 0 ? length + 1 : 1, '\0');
        if (length > 0)
            SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
        value.emplace_back(buffer.data());
    }
}

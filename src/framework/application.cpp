#include "framework/application.h"

#include "framework/message_box.h"
#include "framework/ui_thread.h"
#include "framework/window.h"

#include <algorithm>

namespace {
constexpr UINT applicationNameString = 57344;
const char fallbackName[] = "Tidemark";
} // namespace

CApplication* CApplication::current = nullptr;

std::string LoadResourceString(UINT id) {
    char buffer[1024];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

CApplication::CApplication() {
    current = this;
    SetMessageCaption(Name());
}

CApplication::~CApplication() {
    if (current == this)
        current = nullptr;
}

std::string CApplication::Name() {
    if (current && !current->appName.empty())
        return current->appName;
    std::string name = LoadResourceString(applicationNameString);
    return name.empty() ? fallbackName : name;
}

void CApplication::SetRegistryKey(const std::string& company) {
    appName = Name();
    profile = std::make_unique<CRegistryProfile>(company, appName);
}

CProfile& CApplication::Profile() {
    if (!profile)
        SetRegistryKey(""); // Software\<application name>
    return *profile;
}

void CApplication::AddModelessDialog(HWND dialog) {
    modelessDialogs.push_back(dialog);
}

void CApplication::RemoveModelessDialog(HWND dialog) {
    modelessDialogs.erase(std::remove(modelessDialogs.begin(), modelessDialogs.end(), dialog),
                          modelessDialogs.end());
}

bool CApplication::PreTranslateMessage(MSG& message) {
    if (CWindow::PreTranslateChain(message))
        return true;
    for (HWND dialog : modelessDialogs)
        if (IsWindow(dialog) && IsDialogMessageW(dialog, &message))
            return true;
    return false;
}

void CApplication::HandleMessage(MSG& message) {
    if (PreTranslateMessage(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int CApplication::Run(const std::function<bool()>& start, const std::function<int(int)>& stop) {
    appName = Name();
    CUiThread::Start();
    int exitCode = 0;
    if (start()) {
        // Unicode messages: fetched as ANSI, a typed character of code page
        // 949 comes as two single-byte WM_CHARs, and the dialogs' keyboard
        // handling may convert each byte alone into "?". The system turns a
        // whole character into the bytes our ANSI windows expect.
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            HandleMessage(message);
        exitCode = static_cast<int>(message.wParam);
    }
    int code = stop(exitCode);
    CUiThread::Stop();
    return code;
}

#include "app/checker_app.h"

#include "app/main_frame.h"
#include "framework/message_box.h"
#include "framework/ole_support.h"
#include "net/socket_platform.h"
#include "mail/mail_store.h"
#include "resource.h"

#include <commctrl.h>

namespace {
const char instanceMutexName[] = "Tdm2000InstanceRunning";
const char companyKey[] = "Harrowby";
} // namespace

CCheckerApp::CCheckerApp() = default;

CCheckerApp::~CCheckerApp() = default;

bool CCheckerApp::InitInstance() {
    instanceMutex = CreateMutexA(nullptr, TRUE, instanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false; // another copy is resident: leave quietly

    if (!StartSocketLibrary()) {
        ShowMessage(nullptr, LoadResourceString(IDS_SOCKET_INIT_FAILED), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    SetRegistryKey(companyKey);

    mainFrame = std::make_unique<CMainFrame>();
    if (!mainFrame->Create(Name(), WS_OVERLAPPEDWINDOW, IDR_TRAY_MENU)) {
        mainFrame.reset();
        return false;
    }
    SetMainWindow(mainFrame->GetHandle());
    return true;
}

int CCheckerApp::ExitInstance() {
    // A check's worker that did not stop in time must not run into the
    // socket library's clean-up or the destruction of static objects.
    bool workerLeft = mainFrame && mainFrame->IsCheckActive();
    mainFrame.reset();
    if (workerLeft)
        ExitProcess(static_cast<UINT>(CApplication::ExitInstance()));
    EndOleSupport();
    StopSocketLibrary();
    if (instanceMutex) {
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
    return CApplication::ExitInstance();
}

void DeleteTempMailFiles() {
    DeleteStoreFiles();
}

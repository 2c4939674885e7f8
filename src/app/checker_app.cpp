#include "app/checker_app.h"

#include "app/main_frame.h"
#include "framework/background_job.h"
#include "framework/message_box.h"
#include "framework/ole_support.h"
#include "framework/thread_stack.h"
#include "net/socket_platform.h"
#include "mail/mail_store.h"
#include "resource.h"

namespace {
const char instanceMutexName[] = "Tdm2000InstanceRunning";
const char companyKey[] = "Harrowby";
} // namespace

CCheckerApp::CCheckerApp() = default;

CCheckerApp::~CCheckerApp() = default;

int CCheckerApp::Run() {
    return CApplication::Run([this] { return InitInstance(); },
                             [this](int code) { return ExitInstance(code); });
}

bool CCheckerApp::InitInstance() {
    instanceMutex = CreateMutexA(nullptr, TRUE, instanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false; // another copy is resident: leave quietly

    if (!StartSocketLibrary()) {
        ShowMessage(nullptr, LoadResourceString(IDS_SOCKET_INIT_FAILED), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    SetRegistryKey(companyKey);

    mainFrame = std::make_unique<CMainFrame>();
    if (!mainFrame->Create(Name(), WS_OVERLAPPEDWINDOW, IDR_TRAY_MENU)) {
        mainFrame.reset();
        return false;
    }
    SetMainWindow(mainFrame->GetHandle());
    DiscardUnusedStack();
    return true;
}

int CCheckerApp::ExitInstance(int loopCode) {
    mainFrame.reset();
    // A worker (a check, a delete or a send stuck in a name lookup) that did
    // not stop in time must not run into the socket library's clean-up or
    // the destruction of static objects.
    if (CBackgroundJob::AnyWorkerAlive())
        ExitProcess(static_cast<UINT>(loopCode));
    EndOleSupport();
    StopSocketLibrary();
    if (instanceMutex) {
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
    return loopCode;
}

void DeleteTempMailFiles() {
    DeleteStoreFiles();
}

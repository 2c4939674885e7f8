#include "app/main_frame.h"

#include "app/checker_app.h"
#include "resource.h"

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate() {
    programStartTime = std::time(nullptr);
    LoadSettings(CApplication::Get()->Profile(), settings);
    return 0;
}

void CMainFrame::SaveSettings() {
    ::SaveSettings(CApplication::Get()->Profile(), settings);
}

void CMainFrame::OnClose() {
    SaveSettings();
    DeleteTempMailFiles();
    CFrameWindow::OnClose();
}

bool CMainFrame::OnCommand(int id, int, HWND) {
    switch (id) {
    case ID_APP_EXIT:
        PostMessageA(handle, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

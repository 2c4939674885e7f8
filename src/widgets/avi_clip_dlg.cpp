#include "widgets/avi_clip_dlg.h"

#include "resource.h"

namespace {
constexpr UINT_PTR endPollTimer = 0;
constexpr UINT endPollMilliseconds = 1000;
} // namespace

CAviClipDlg::CAviClipDlg() : CDialog(IDD_AVI_CLIP) {}

bool CAviClipDlg::OnInitDialog() {
    SetTimer(handle, endPollTimer, endPollMilliseconds, nullptr);
    return true;
}

void CAviClipDlg::StartClip() {
    clip = std::make_unique<CAviClip>();
    if (!clip->Open(clipFile, handle)) {
        // Nothing to play: waiting for an end that never comes would hold the
        // mail check until somebody closes the window.
        clip.reset();
        EndDialog(IDCANCEL);
        return;
    }
    RECT rect = clip->GetClipRect();
    MoveWindow(handle, rect.left, rect.top, rect.right, rect.bottom, FALSE);
    // Centre the window on the screen.
    RECT window;
    GetWindowRect(handle, &window);
    int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(handle, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    MoveWindow(GetItem(IDC_CLIP_FRAME), rect.left, rect.top, rect.right, rect.bottom, TRUE);
    clip->Play();
}

LRESULT CAviClipDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWWINDOW: {
        LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        if (wParam && !clip)
            StartClip();
        return result;
    }
    case WM_TIMER:
        if (wParam == endPollTimer && clip && clip->IsAtEnd()) {
            KillTimer(handle, endPollTimer);
            PostMessageA(handle, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_DESTROY:
        clip.reset();
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void PlayAviClip(const std::string& path, HWND owner) {
    if (path.empty())
        return;
    CAviClipDlg dialog;
    dialog.clipFile = path;
    dialog.DoModal(owner);
}

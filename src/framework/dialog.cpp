#include "framework/dialog.h"

#include "framework/application.h"
#include "framework/data_exchange.h"

#include <commctrl.h>

namespace {

// Messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

} // namespace

void LoadCommonControls() {
    static bool loaded = false;
    if (loaded)
        return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    loaded = InitCommonControlsEx(&controls);
}

INT_PTR CDialog::DoModal(HWND parent) {
    LoadCommonControls();
    modal = true;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, StaticDialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND parent) {
    LoadCommonControls();
    modal = false;
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                     StaticDialogProc, reinterpret_cast<LPARAM>(this));
    // Child pages get their keys through the top-level dialog that holds them.
    bool topLevel = window && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    if (topLevel && CApplication::Get())
        CApplication::Get()->AddModelessDialog(window);
    return window != nullptr;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDialog::EndDialog(int result) {
    if (modal)
        ::EndDialog(handle, result);
    else
        DestroyWindow(handle);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog() ? TRUE : FALSE;
    if (message == WM_COMMAND && !OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
        return DefaultProc(message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return DefaultProc(message, wParam, lParam);
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefaultProc(UINT, WPARAM, LPARAM) {
    messageHandled = false;
    return 0;
}

void CDialog::OnFinalDestroy(HWND window) {
    if (!modal && CApplication::Get())
        CApplication::Get()->RemoveModelessDialog(window);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CDialog*>(FromHandle(window));
    if (!self && message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->Attach(window);
    }
    return RunDialogProc(self, window, message, wParam, lParam);
}

INT_PTR CDialog::RunDialogProc(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        self->Dispatch(message, wParam, lParam); // the object may be gone afterwards
        return FALSE;
    }

    bool outer = self->messageHandled;
    self->messageHandled = true;
    LRESULT result = self->Dispatch(message, wParam, lParam);
    bool handled = self->messageHandled;
    self->messageHandled = outer;

    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    if (!handled)
        return FALSE;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

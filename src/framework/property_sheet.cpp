#include "framework/property_sheet.h"

#include <commctrl.h>

namespace {
// The sheet whose PropertySheetA call runs on this thread: the system's
// sheet callback carries no pointer of ours.
thread_local CPropertySheet* startingSheet = nullptr;
} // namespace

void CPropertyPage::SetModified(bool changed) {
    if (initializing)
        return;
    modified = changed;
    if (HWND sheetWindow = handle ? GetParent(handle) : nullptr)
        SendMessageA(sheetWindow, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(handle), 0);
}

bool CPropertyPage::OnApply() {
    modified = false;
    return true;
}

void CPropertyPage::OnOK() {
    PropSheet_PressButton(GetParent(handle), PSBTN_OK);
}

void CPropertyPage::OnCancel() {
    PropSheet_PressButton(GetParent(handle), PSBTN_CANCEL);
}

LRESULT CPropertyPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initializing = true;
        LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        initializing = false;
        return result;
    }
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (message == WM_NOTIFY && header && header->hwndFrom == GetParent(handle)) {
        switch (header->code) {
        case PSN_SETACTIVE:
            OnSetActive();
            return 0;
        case PSN_KILLACTIVE:
            return OnKillActive() ? FALSE : TRUE;
        case PSN_APPLY:
            if (!OnApply())
                return PSNRET_INVALID_NOCHANGEPAGE;
            // The sheet tells OK (lParam TRUE) from Apply.
            if (sheet)
                sheet->PageApplied(*this, reinterpret_cast<PSHNOTIFY*>(header)->lParam != 0);
            return PSNRET_NOERROR;
        case PSN_RESET:
            OnReset();
            return 0;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

INT_PTR CALLBACK CPropertyPage::StaticPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CPropertyPage*>(FromHandle(window));
    if (!self && message == WM_INITDIALOG) {
        // The page gets the system's copy of our description; its lParam is the object.
        self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        self->Attach(window);
    }
    return RunDialogProc(self, window, message, wParam, lParam);
}

void CPropertySheet::AddPage(CPropertyPage& page) {
    page.sheet = this;
    pages.push_back(&page);
}

INT_PTR CPropertySheet::DoModal(HWND parent) {
    std::vector<PROPSHEETPAGEA> descriptions;
    for (CPropertyPage* page : pages) {
        page->modified = false;
        PROPSHEETPAGEA description = {};
        description.dwSize = sizeof description;
        description.dwFlags = PSP_DEFAULT;
        description.hInstance = GetModuleHandleA(nullptr);
        description.pszTemplate = MAKEINTRESOURCEA(page->GetTemplateId());
        description.pfnDlgProc = CPropertyPage::StaticPageProc;
        description.lParam = reinterpret_cast<LPARAM>(page);
        descriptions.push_back(description);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOCONTEXTHELP;
    header.hwndParent = parent;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(descriptions.size());
    header.nStartPage = static_cast<UINT>(startPage);
    header.ppsp = descriptions.data();
    header.pfnCallback = SheetCallback;

    LoadCommonControls();
    closedWith = IDCANCEL;
    startingSheet = this;
    INT_PTR result = PropertySheetA(&header);
    startingSheet = nullptr;
    return result < 0 ? -1 : closedWith;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && startingSheet) {
        CPropertySheet* sheet = startingSheet;
        startingSheet = nullptr;
        sheet->Subclass(window);
        sheet->OnInitSheet();
    }
    return 0;
}

int CPropertySheet::GetActiveIndex() const {
    HWND current = handle ? PropSheet_GetCurrentPageHwnd(handle) : nullptr;
    for (std::size_t index = 0; current && index < pages.size(); ++index)
        if (pages[index]->GetHandle() == current)
            return static_cast<int>(index);
    return -1;
}

bool CPropertySheet::SetActiveIndex(int index) {
    return handle && PropSheet_SetCurSel(handle, nullptr, index);
}

void CPropertySheet::PageApplied(const CPropertyPage& page, bool closing) {
    // The system applies the shown pages in their order.
    const CPropertyPage* last = nullptr;
    for (const CPropertyPage* shown : pages)
        if (shown->IsCreated())
            last = shown;
    if (&page != last)
        return;
    if (closing)
        closedWith = IDOK;
    OnApplied(closing);
}

#include "postman/page_tab_ctrl.h"

void CPageTabCtrl::SetPageOrigin(int x, int y) {
    pageOriginX = x;
    pageOriginY = y;
}

void CPageTabCtrl::SetImageList(HIMAGELIST images) {
    SendMessageA(handle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
}

void CPageTabCtrl::AddTab(HWND page, const std::string& text, int imageIndex) {
    int index = static_cast<int>(SendMessageA(handle, TCM_GETITEMCOUNT, 0, 0));
    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = imageIndex;
    item.lParam = reinterpret_cast<LPARAM>(page);
    SendMessageA(handle, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));

    SetWindowPos(page, nullptr, pageOriginX, pageOriginY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(page, index == 0 ? SW_SHOW : SW_HIDE);
}

bool CPageTabCtrl::SelectTab(int index) {
    int current = GetCurrentTab();
    if (index == current)
        return true;
    if (!GetPage(index))
        return false;
    ShowPage(current, false);
    SendMessageA(handle, TCM_SETCURSEL, index, 0);
    ShowPage(index, true);
    return true;
}

int CPageTabCtrl::GetCurrentTab() const {
    return static_cast<int>(SendMessageA(handle, TCM_GETCURSEL, 0, 0));
}

bool CPageTabCtrl::OnReflectedMessage(UINT message, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY)
        return false;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case TCN_SELCHANGING:
        previousSelection = GetCurrentTab();
        result = FALSE; // allow the change
        return true;
    case TCN_SELCHANGE:
        ShowPage(previousSelection, false);
        ShowPage(GetCurrentTab(), true);
        result = 0;
        return true;
    }
    return false;
}

HWND CPageTabCtrl::GetPage(int index) const {
    if (index < 0)
        return nullptr;
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(handle, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

void CPageTabCtrl::ShowPage(int index, bool show) const {
    if (HWND page = GetPage(index))
        ShowWindow(page, show ? SW_SHOW : SW_HIDE);
}

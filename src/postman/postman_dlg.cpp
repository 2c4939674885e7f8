#include "postman/postman_dlg.h"

#include "core/mailbox_model.h"
#include "core/settings.h"
#include "framework/application.h"
#include "framework/data_exchange.h"
#include "framework/screen_dpi.h"
#include "postman/ad_control.h"
#include "postman/mailbox_page.h"
#include "postman/quick_mail_page.h"
#include "resource.h"

#include <windowsx.h>

namespace {

constexpr int snapDistance = 10;
constexpr int tabImageWidth = 12;
constexpr COLORREF tabImageMask = RGB(255, 0, 255);
constexpr SIZE stripSource = {320, 17};
const char adClientId[] = "harrowby.tdm.2000.int";

// Where a dragged window edge ends up along one axis: at the work area's
// start or end when it comes within snapDistance of it (or passes it), else
// where the pointer puts it.
int SnapToWorkArea(int position, int size, int areaStart, int areaEnd) {
    if (position - snapDistance < areaStart)
        return areaStart;
    if (position + snapDistance > areaEnd - size)
        return areaEnd - size;
    return position;
}

HBITMAP LoadBitmapResource(int id) {
    return static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

} // namespace

CPostmanDlg::CPostmanDlg(CMailboxModel& mailbox, CMailCheckControl& checker, Settings& settings,
                         bool smallFontScreen)
    : CDialog(IDD_POSTMAN), mailbox(mailbox), checker(checker), settings(settings),
      smallFontScreen(smallFontScreen) {
    Create(nullptr);
}

CPostmanDlg::~CPostmanDlg() {
    // The pages are children of the tab control and go with the window.
    if (handle)
        DestroyWindow(handle);
    if (tabImages)
        ImageList_Destroy(tabImages);
    for (HBITMAP bitmap : {hideBitmap, toggleBitmap, stripBitmap})
        if (bitmap)
            DeleteObject(bitmap);
    if (windowIcon)
        DestroyIcon(windowIcon);
}

bool CPostmanDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    windowIcon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TIDEMARK), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));
    SetWindowTextA(handle, CApplication::Name().c_str());

    POINT adPosition = smallFontScreen ? POINT{0, 0} : POINT{26, 6};
    adControl = AdCreateControl(adClientId, GetItem(IDC_AD_HOST), adPosition.x, adPosition.y, 0, 0);

    tabCtrl.Subclass(GetItem(IDC_PAGE_TABS));
    CreatePages();

    hideBitmap = LoadBitmapResource(IDB_HIDE);
    stripBitmap = LoadBitmapResource(IDB_PICTURE_STRIP);
    SendDlgItemMessageA(handle, IDC_HIDE, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hideBitmap));
    SetAlwaysOnTop(0);
    return false; // the window is hidden: leave the keyboard focus where it is
}

void CPostmanDlg::CreatePages() {
    // Below the tab buttons, whose height follows the DPI. A page is as wide
    // as the tab control: any indent would cut its right edge off.
    tabCtrl.SetPageOrigin(0, ScaleToSystemDpi(22));
    tabImages = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TAB_IMAGES),
                                     tabImageWidth, 1, tabImageMask, IMAGE_BITMAP, 0);
    tabCtrl.SetImageList(tabImages);

    mailboxPage = std::make_unique<CMailboxPage>(mailbox, checker, *this, smallFontScreen);
    mailboxPage->Create(tabCtrl.GetHandle());
    tabCtrl.AddTab(mailboxPage->GetHandle(), LoadResourceString(IDS_TAB_MAILBOX), 0);
    quickMailPage =
        std::make_unique<CQuickMailPage>(settings, [this](const std::string& text) { SetStatusText(text); });
    quickMailPage->Create(tabCtrl.GetHandle());
    tabCtrl.AddTab(quickMailPage->GetHandle(), LoadResourceString(IDS_TAB_QUICK_MAIL), 1);
}

void CPostmanDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_ALWAYS_TOP, alwaysOnTop);
}

bool CPostmanDlg::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ALWAYS_TOP:
        ToggleAlwaysOnTop();
        return true;
    case IDC_HIDE:
        HideWindow();
        return true;
    }
    return false;
}

void CPostmanDlg::SetStatusPane(const std::string& text) {
    SetItemText(IDC_AD_HOST, text);
}

void CPostmanDlg::ShowNormal() {
    ShowWindow(handle, SW_SHOWNORMAL);
    SetForegroundWindow(handle);
    FocusCurrentPage();
}

void CPostmanDlg::FocusCurrentPage() {
    // The page passes the focus on to its first control; the picture
    // buttons at the top keep no focus frame that way.
    SetFocus(tabCtrl.GetPage(tabCtrl.GetCurrentTab()));
}

void CPostmanDlg::SetStatusText(const std::string& text) {
    SetItemText(IDC_STATUS_TEXT, text);
}

void CPostmanDlg::ToggleAlwaysOnTop() {
    int state = alwaysOnTop != 1 ? 1 : 0;
    SetAlwaysOnTop(state);
    settings.AlwaysTop = state == 1;
    FocusCurrentPage();
}

void CPostmanDlg::SetAlwaysOnTop(int state) {
    alwaysOnTop = state;
    SetWindowPos(handle, state ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateData(false);
    HBITMAP previous = toggleBitmap;
    toggleBitmap = LoadBitmapResource(state ? IDB_TOP_ON : IDB_TOP_OFF);
    SendDlgItemMessageA(handle, IDC_ALWAYS_TOP, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(toggleBitmap));
    if (previous)
        DeleteObject(previous);
}

void CPostmanDlg::StartReply(const std::string& recipient, const std::u16string& subject) {
    quickMailPage->SetReply(recipient, subject);
    tabCtrl.SelectTab(1);
}

void CPostmanDlg::HideWindow() {
    ShowWindow(handle, SW_MINIMIZE);
    ShowWindow(handle, SW_HIDE);
}

LRESULT CPostmanDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        DrawPictureStrip(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        BeginDrag(point);
        return 0;
    case WM_MOUSEMOVE:
        Drag(point);
        return 0;
    case WM_LBUTTONUP:
        EndDrag();
        return 0;
    case WM_CAPTURECHANGED:
        dragging = 0;
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CPostmanDlg::OnPaint() {
    // The window is made before the settings are read; the stored choice
    // takes effect when it is first drawn.
    if (settings.AlwaysTop && alwaysOnTop != 1)
        SetAlwaysOnTop(1);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    DrawPictureStrip(dc);
    EndPaint(handle, &paint);
}

void CPostmanDlg::DrawPictureStrip(HDC dc) const {
    HDC source = stripBitmap ? CreateCompatibleDC(dc) : nullptr;
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, stripBitmap);
    // The strip spans the window, whose width follows the dialog font, and
    // keeps its drawn height at the system DPI.
    RECT client;
    GetClientRect(handle, &client);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, ScaleToSystemDpi(stripSource.cy), source, 0, 0, stripSource.cx,
               stripSource.cy, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

void CPostmanDlg::BeginDrag(POINT point) {
    dragStartX = static_cast<short>(point.x);
    dragStartY = static_cast<short>(point.y);
    dragging = 1;
    SetCapture(handle);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
}

void CPostmanDlg::Drag(POINT point) {
    if (dragging != 1)
        return;
    RECT window;
    GetWindowRect(handle, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int left = SnapToWorkArea(window.left + point.x - dragStartX, width, workArea.left, workArea.right);
    int top = SnapToWorkArea(window.top + point.y - dragStartY, height, workArea.top, workArea.bottom);
    MoveWindow(handle, left, top, width, height, TRUE);
}

void CPostmanDlg::EndDrag() {
    if (dragging != 1)
        return;
    dragging = 0;
    ReleaseCapture();
}

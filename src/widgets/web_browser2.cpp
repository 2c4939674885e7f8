#include "widgets/web_browser2.h"

#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "framework/ole_support.h"
#include "base/ascii_text.h"
#include "mail/charset.h"

#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT saveCommand = 1;
constexpr UINT copyCommand = 2;
// Posted to the control itself: the next part of a long mail is due.
constexpr UINT showMoreMessage = WM_APP + 1;
// A long mail goes into the control by parts: the first is a screen's worth.
constexpr size_t firstPartCharacters = 2048, partCharacters = 8192;

// The whole file, or false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        for (size_t at = 0; ok && at < bytes.size();) {
            DWORD read = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 24));
            ok = ReadFile(file, &bytes[at], chunk, &read, nullptr) && read > 0;
            at += read;
        }
    }
    CloseHandle(file);
    return ok;
}

// A mail read and formatted for the view.
struct LoadedMail {
    std::unique_ptr<CMimeMessage> message;
    CRichDocument document;
    std::vector<ListedAttachment> attachments;
};

void LoadMail(const std::string& url, LoadedMail& mail) {
    const std::string path = StartsWithNoCase(url, "file://") ? url.substr(7) : std::string();
    std::string bytes;
    if (path.empty() || !ReadWholeFile(path, bytes)) {
        mail.document.Append(Cp949ToUtf16("메일 파일을 읽을 수 없습니다: " + (path.empty() ? url : path)));
        return;
    }
    mail.message = std::make_unique<CMimeMessage>(std::move(bytes));
    BuildMessageView(*mail.message, mail.document, mail.attachments);
}

// RTF of characters [from, to) of the document: one group per run, text
// outside ASCII as \u.
std::string ToRtf(const CRichDocument& document, size_t from, size_t to) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg949\\uc1\\deff0{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}"
                      "{\\f1\\fmodern\\fcharset129 GulimChe;}}{\\colortbl ;\\red0\\green0\\blue204;"
                      "\\red110\\green110\\blue110;}\\f0\\fs18 ";
    rtf.reserve(rtf.size() + (to - from) * 2);
    size_t runStart = 0;
    for (const TextRun& run : document.Runs()) {
        const size_t runEnd = runStart + run.text.size();
        const size_t first = std::max(from, runStart), last = std::min(to, runEnd);
        runStart = runEnd;
        if (first >= last)
            continue;
        std::string controls;
        if (run.style & StyleBold)
            controls += "\\b";
        if (run.style & StyleItalic)
            controls += "\\i";
        if (run.style & StyleUnderline)
            controls += "\\ul";
        if (run.style & StyleHeading)
            controls += "\\fs26";
        if (run.style & StyleMonospace)
            controls += "\\f1";
        if (!run.link.empty())
            controls += "\\cf1";
        else if (run.style & StyleQuiet)
            controls += "\\cf2";
        // A blank ends the control words; with none it would be text.
        rtf += '{' + controls + (controls.empty() ? "" : " ");
        for (size_t i = first - (runEnd - run.text.size()); i < last - (runEnd - run.text.size()); ++i) {
            const char16_t c = run.text[i];
            if (c == u'\n') {
                rtf += "\\par\n";
            } else if (c == u'\t') {
                rtf += "\\tab ";
            } else if (c == u'\\' || c == u'{' || c == u'}') {
                rtf += '\\';
                rtf += static_cast<char>(c);
            } else if (c >= 0x20 && c < 0x7F) {
                rtf += static_cast<char>(c);
            } else {
                rtf += "\\u" + std::to_string(static_cast<short>(c)) + "?";
            }
        }
        rtf += '}';
    }
    return rtf + "}";
}

struct StreamSource {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    StreamSource* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t n = std::min(static_cast<size_t>(size), source->text->size() - source->at);
    std::memcpy(buffer, source->text->data() + source->at, n);
    source->at += n;
    *read = static_cast<LONG>(n);
    return 0;
}

// A file name for the save dialog: code page 949, without the characters
// Windows forbids in names.
std::string SuggestedFileName(const std::u16string& name) {
    std::string file = Utf16ToCp949(name);
    for (char& c : file)
        if (std::strchr("\\/:*?\"<>|", c) || static_cast<unsigned char>(c) < 32)
            c = '_';
    return file.substr(0, MAX_PATH - 1);
}

HWND CreateRichEdit(HWND parent, const RECT& rect, int id, LONG style) {
    StartOleSupport(); // for the control's drag and drop
    static const HMODULE library = LoadLibraryA("msftedit.dll");
    if (!library)
        return nullptr;
    HWND window = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"", static_cast<DWORD>(style), rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return nullptr;
    // The text limit counts characters; a long mail needs more than the
    // default 32K.
    SendMessageW(window, EM_EXLIMITTEXT, 0, 64 << 20);
    // Nothing to undo in a read-only view.
    SendMessageW(window, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(window, EM_SETBKGNDCOLOR, FALSE, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
    return window;
}

} // namespace

bool CWebBrowser2::Create(HWND parent, const RECT& rect, int id) {
    HWND window = CreateRichEdit(parent, rect, id,
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                                     ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL);
    return window && Subclass(window);
}

void CWebBrowser2::Renew() {
    HWND old = handle;
    HWND parent = GetParent(old);
    RECT rect;
    GetWindowRect(old, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    HWND fresh = CreateRichEdit(parent, rect, GetDlgCtrlID(old), GetWindowLongW(old, GWL_STYLE));
    if (!fresh)
        return;
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const bool focused = GetFocus() == old;
    DestroyWindow(old); // ends the binding
    Subclass(fresh);
    if (focused)
        SetFocus(fresh);
}

void CWebBrowser2::Navigate(const std::string& url) {
    loadJob = std::make_unique<CBackgroundJob>(); // the previous load, if any, is cancelled
    message.reset();
    attachments.clear();
    CRichDocument loading;
    loading.Append(u"메일을 읽는 중입니다...", StyleQuiet);
    Show(std::move(loading));
    auto mail = std::make_shared<LoadedMail>();
    auto showMail = [this, mail] {
        message = std::move(mail->message);
        attachments = std::move(mail->attachments);
        Show(std::move(mail->document));
    };
    if (!loadJob->Start([url, mail](CJobControl&) { LoadMail(url, *mail); }, showMail)) {
        LoadMail(url, *mail); // no thread to be had: here, then
        showMail();
    }
}

void CWebBrowser2::Show(CRichDocument document) {
    shown = std::move(document);
    links.clear();
    size_t at = 0;
    for (const TextRun& run : shown.Runs()) {
        if (!run.link.empty())
            links.push_back(LinkRange{at, at + run.text.size(), &run});
        at += run.text.size();
    }
    // The rich edit takes far longer to empty itself of a long mail than to
    // start afresh.
    if (GetWindowTextLengthW(handle) > 0)
        Renew();
    shownLength = 0;
    ShowMore();
    SendMessageW(handle, EM_SETSEL, 0, 0);
}

void CWebBrowser2::ShowMore() {
    // The rich edit lays out text slowly (under Wine 2 to 6 ms per 1000
    // characters), so a long mail goes in by parts: the first is there at
    // once, the others follow through the message queue, and the window
    // answers the user in between.
    size_t end = std::min(shown.Length(), shownLength + (shownLength ? partCharacters : firstPartCharacters));
    if (end < shown.Length() && shown.CharacterAt(end) >= 0xDC00 && shown.CharacterAt(end) < 0xE000)
        ++end; // a surrogate pair stays whole
    const std::string rtf = ToRtf(shown, shownLength, end);
    StreamSource source{&rtf, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStream;
    CHARRANGE selection = {};
    POINT scroll = {};
    SendMessageW(handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(handle, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    SendMessageW(handle, EM_SETSEL, -1, -1);
    SendMessageW(handle, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(handle, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle, nullptr, TRUE);
    shownLength = end;
    if (shownLength < shown.Length())
        PostMessageW(handle, showMoreMessage, 0, 0);
}

bool CWebBrowser2::SaveAttachment(size_t index, const std::string& path) const {
    if (!message || index >= attachments.size())
        return false;
    const std::string bytes = message->DecodedBody(message->Parts()[attachments[index].part]);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    CloseHandle(file);
    if (!ok)
        DeleteFileA(path.c_str());
    return ok;
}

size_t CWebBrowser2::CharacterAt(POINT point) const {
    POINTL at = {point.x, point.y};
    return static_cast<size_t>(SendMessageW(handle, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
}

int CWebBrowser2::AttachmentAt(size_t at) const {
    for (size_t i = 0; i < attachments.size(); ++i)
        if (at >= attachments[i].textStart && at < attachments[i].textEnd)
            return static_cast<int>(i);
    return -1;
}

const TextRun* CWebBrowser2::LinkAt(size_t at) const {
    for (const LinkRange& link : links)
        if (at >= link.start && at < link.end)
            return link.run;
    return nullptr;
}

void CWebBrowser2::SaveWithDialog(int index) {
    const std::string file = ChooseFileToSave(GetParent(handle), "모든 파일 (*.*)|*.*||",
                                              SuggestedFileName(attachments[index].name));
    if (!file.empty() && !SaveAttachment(static_cast<size_t>(index), file))
        ShowMessage(GetParent(handle), "첨부 파일을 저장하지 못했습니다:\n" + file, MB_OK | MB_ICONSTOP);
}

void CWebBrowser2::ShowContextMenu(POINT screen) {
    POINT client = screen;
    ScreenToClient(handle, &client);
    const int index = AttachmentAt(CharacterAt(client));
    HMENU menu = CreatePopupMenu();
    if (index >= 0)
        AppendMenuA(menu, MF_STRING, saveCommand, "첨부 파일 저장(&S)...");
    AppendMenuA(menu, MF_STRING, copyCommand, "복사(&C)");
    const UINT command =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, handle, nullptr);
    DestroyMenu(menu);
    if (command == saveCommand)
        SaveWithDialog(index);
    else if (command == copyCommand)
        SendMessageW(handle, WM_COPY, 0, 0);
}

LRESULT CWebBrowser2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case showMoreMessage:
        if (shownLength < shown.Length())
            ShowMore();
        return 0;
    case WM_LBUTTONDBLCLK: {
        const int index = AttachmentAt(CharacterAt(point));
        if (index >= 0) {
            SaveWithDialog(index);
            return 0;
        }
        break;
    }
    case WM_LBUTTONUP: {
        // A click, not the end of a selection, opens a link.
        const LRESULT result = DefaultProc(message, wParam, lParam);
        CHARRANGE selection = {};
        SendMessageW(handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        const TextRun* link = LinkAt(CharacterAt(point));
        if (link && selection.cpMin == selection.cpMax && IsOpenableLink(link->link)) {
            if (openLink) {
                openLink(link->link);
            } else {
                ShellExecuteW(GetParent(handle), L"open", reinterpret_cast<const wchar_t*>(link->link.c_str()),
                              nullptr, nullptr, SW_SHOWNORMAL);
            }
        }
        return result;
    }
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(handle, &cursor);
        const size_t at = CharacterAt(cursor);
        if (LOWORD(lParam) == HTCLIENT && (LinkAt(at) || AttachmentAt(at) >= 0)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_CONTEXTMENU: {
        POINT screen = point;
        if (screen.x == -1 && screen.y == -1) { // from the keyboard
            screen = {0, 0};
            ClientToScreen(handle, &screen);
        }
        ShowContextMenu(screen);
        return 0;
    }
    }
    return CWindow::WindowProc(message, wParam, lParam);
}

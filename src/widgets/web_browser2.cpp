#include "widgets/web_browser2.h"

#include "base/ascii_text.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "mail/charset.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT saveCommand = 1;
constexpr UINT copyCommand = 2;

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

// A file name for the save dialog: code page 949, without the characters
// Windows forbids in names.
std::string SuggestedFileName(const std::u16string& name) {
    std::string file = Utf16ToCp949(name);
    for (char& c : file)
        if (std::strchr("\\/:*?\"<>|", c) || static_cast<unsigned char>(c) < 32)
            c = '_';
    return file.substr(0, MAX_PATH - 1);
}

} // namespace

bool CWebBrowser2::Create(HWND parent, const RECT& rect, int id) {
    if (!CTextView::Create(parent, rect, id))
        return false;
    ShowDocument(CRichDocument());
    return true;
}

void CWebBrowser2::Navigate(const std::string& url) {
    loadJob = std::make_unique<CBackgroundJob>(); // the previous load, if any, is cancelled
    loadJob->LetGoOnCancel(); // a cancelled load keeps only its own copies: no need to wait for it
    message.reset();
    attachments.clear();
    CRichDocument loading;
    loading.Append(u"메일을 읽는 중입니다...", StyleQuiet);
    ShowDocument(std::move(loading));
    auto mail = std::make_shared<LoadedMail>();
    auto showMail = [this, mail] {
        message = std::move(mail->message);
        attachments = std::move(mail->attachments);
        ShowDocument(std::move(mail->document));
    };
    if (!loadJob->Start([url, mail](CJobControl&) { LoadMail(url, *mail); }, showMail)) {
        LoadMail(url, *mail); // no thread to be had: here, then
        showMail();
    }
}

void CWebBrowser2::ShowDocument(CRichDocument document) {
    links.clear();
    size_t at = 0;
    for (const TextRun& run : document.Runs()) {
        if (!run.link.empty())
            links.push_back(LinkRange{at, at + run.text.size(), run.link});
        at += run.text.size();
    }
    Show(std::move(document));
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

int CWebBrowser2::AttachmentAt(size_t at) const {
    for (size_t i = 0; i < attachments.size(); ++i)
        if (at >= attachments[i].textStart && at < attachments[i].textEnd)
            return static_cast<int>(i);
    return -1;
}

const std::u16string* CWebBrowser2::LinkAt(size_t at) const {
    for (const LinkRange& link : links)
        if (at >= link.start && at < link.end)
            return &link.target;
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
        Copy();
}

LRESULT CWebBrowser2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONUP: {
        // A click, not the end of a selection, opens a link.
        const bool click = !HasSelection();
        CTextView::WindowProc(message, wParam, lParam);
        const std::u16string* link = click ? LinkAt(CharacterAt(point)) : nullptr;
        if (link && IsOpenableLink(*link)) {
            if (openLink) {
                openLink(*link);
            } else {
                ShellExecuteW(GetParent(handle), L"open", reinterpret_cast<const wchar_t*>(link->c_str()),
                              nullptr, nullptr, SW_SHOWNORMAL);
            }
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        const int index = AttachmentAt(CharacterAt(point));
        if (index >= 0) {
            SaveWithDialog(index);
            return 0;
        }
        break;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT cursor;
            GetCursorPos(&cursor);
            ScreenToClient(handle, &cursor);
            const size_t at = CharacterAt(cursor);
            if (LinkAt(at) || AttachmentAt(at) >= 0) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
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
    return CTextView::WindowProc(message, wParam, lParam);
}

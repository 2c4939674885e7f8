#include "dialog_answerer.h"

#include <vector>

namespace {

BOOL CALLBACK CollectTexts(HWND child, LPARAM lParam) {
    char className[16] = "", text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    bool textControl = std::string(className) == "Static" || std::string(className) == "Edit";
    if (textControl && GetWindowTextA(child, text, sizeof text) > 0) {
        auto* out = reinterpret_cast<std::string*>(lParam);
        if (!out->empty())
            *out += "\n";
        *out += text;
    }
    return TRUE;
}

} // namespace

CDialogAnswerer::CDialogAnswerer(std::string caption, int buttonId, DWORD milliseconds,
                                 std::vector<DialogField> fields)
    : caption(std::move(caption)), buttonId(buttonId), milliseconds(milliseconds), fields(std::move(fields)),
      present(VisibleDialogs(this->caption)), watcher([this] { Watch(); }, {}) {}

bool CDialogAnswerer::Wait() {
    watcher.Join();
    return answered;
}

std::string AnswerBox(const std::string& caption, int button) {
    CDialogAnswerer answerer(caption, button, 5000);
    return answerer.Wait() ? answerer.GetText() : "";
}

void CDialogAnswerer::Watch() {
    HWND found = WaitForDialog(caption, milliseconds, present);
    if (!found)
        return;
    EnumChildWindows(found, CollectTexts, reinterpret_cast<LPARAM>(&text));
    for (const DialogField& field : fields)
        TypeText(found, field.id, field.text);
    answered = true;
    ClickButton(found, buttonId, Delivery::Posted);
}

#include "mail/message_view.h"

#include "base/ascii_text.h"
#include "mail/html_text.h"

namespace {

// Room kept after the body for the notes and the attachment list.
constexpr size_t listRoom = 1u << 20;

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

class CViewBuilder {
  public:
    CViewBuilder(const CMimeMessage& message, CRichDocument& document,
                 std::vector<ListedAttachment>& attachments)
        : message(message), parts(message.Parts()), document(document), attachments(attachments) {}

    void Build() {
        const size_t capacity = CRichDocument::defaultCapacity;
        document.SetCapacity(capacity - listRoom);
        Show(0);
        document.SetCapacity(capacity);
        if (document.Truncated() || textCut) {
            document.EndParagraph();
            document.Append(u"(본문이 너무 길어 앞부분만 보입니다. 나머지는 표시하지 않았습니다.)",
                            StyleQuiet);
        }
        if (message.PartsLimited()) {
            document.EndParagraph();
            document.Append(u"(부분이 너무 많아 나머지 부분은 표시하지 않았습니다.)", StyleQuiet);
        }
        if (!listed.empty())
            ListAttachments();
    }

  private:
    void Show(size_t index) {
        const MimePart& part = parts[index];
        if (part.type == "multipart/alternative" && !part.children.empty()) {
            Show(ChooseAlternative(part));
        } else if (part.IsMultipart()) {
            for (const size_t child : part.children)
                Show(child);
        } else if (part.type == "message/rfc822" && !part.children.empty()) {
            const MimePart& inner = parts[part.children.front()];
            document.EndParagraph();
            document.Append(u"---------- 전달된 메일 ----------\n", StyleQuiet);
            for (const std::u16string& line : inner.headerLines)
                document.Append(line + u"\n", StyleQuiet);
            document.EndParagraph();
            Show(part.children.front());
        } else if (part.IsText() && !part.attachment) {
            bool cut = false;
            const std::u16string text = message.Text(part, cut);
            textCut = textCut || cut;
            document.EndParagraph();
            if (part.type == "text/html")
                AppendHtml(text, document);
            else
                document.Append(text);
        } else if (!part.IsMultipart()) {
            listed.push_back(index);
        }
    }

    // HTML is preferred; else the last part the view can show (the
    // alternatives go from plain to rich).
    size_t ChooseAlternative(const MimePart& part) const {
        size_t chosen = part.children.back();
        for (const size_t child : part.children)
            if (parts[child].type == "text/html")
                return child;
        for (const size_t child : part.children)
            if (parts[child].IsText() || parts[child].IsMultipart())
                chosen = child;
        return chosen;
    }

    void ListAttachments() {
        document.EndParagraph();
        document.Append(u"첨부 파일 " + Ascii(std::to_string(listed.size())) +
                            u"개 (두 번 누르면 저장합니다)\n",
                        StyleBold);
        for (const size_t index : listed) {
            const MimePart& part = parts[index];
            ListedAttachment attachment;
            attachment.part = index;
            attachment.name =
                part.fileName.empty() ? u"이름 없는 파일 (" + Ascii(part.type) + u")" : part.fileName;
            attachment.size = message.DecodedSize(part);
            attachment.textStart = document.Length();
            document.Append(u"  " + attachment.name, StyleUnderline);
            document.Append(u"  " + FormatSize(attachment.size) + u"\n", StyleQuiet);
            attachment.textEnd = document.Length();
            if (document.IsFull())
                break;
            attachments.push_back(std::move(attachment));
        }
    }

    const CMimeMessage& message;
    const std::vector<MimePart>& parts;
    CRichDocument& document;
    std::vector<ListedAttachment>& attachments;
    std::vector<size_t> listed;
    bool textCut = false;
};

} // namespace

void BuildMessageView(const CMimeMessage& message, CRichDocument& document,
                      std::vector<ListedAttachment>& attachments) {
    CViewBuilder(message, document, attachments).Build();
}

std::u16string FormatSize(size_t bytes) {
    if (bytes < 1024)
        return Ascii(std::to_string(bytes)) + u" 바이트";
    // One decimal, rounded as printf's "%.1f" rounds: a tie to the even digit.
    const size_t unit = bytes < (1u << 20) ? 1024 : 1048576;
    size_t tenths = bytes / unit * 10 + bytes % unit * 10 / unit;
    const size_t rest = bytes % unit * 10 % unit;
    if (rest * 2 > unit || (rest * 2 == unit && tenths % 2 == 1))
        ++tenths;
    return Ascii(DecimalText(static_cast<long long>(tenths / 10)) + "." + DecimalText(tenths % 10) +
                 (unit == 1024 ? " KB" : " MB"));
}

bool IsOpenableLink(const std::u16string& target) {
    std::string scheme;
    for (size_t i = 0; i < target.size() && i < 8; ++i)
        scheme += target[i] < 0x80 ? static_cast<char>(target[i]) : '\x80';
    scheme = AsciiLower(scheme);
    return scheme.compare(0, 7, "http://") == 0 || scheme.compare(0, 8, "https://") == 0 ||
           scheme.compare(0, 7, "mailto:") == 0;
}

#include "mail/imap_mail_sink.h"

#include "base/ascii_text.h"

namespace {

bool IsBodySection(const std::string& item) {
    return StartsWithNoCase(item, "BODY[");
}

} // namespace

CImapMailSink::CImapMailSink(CImapReader& reader, FetchedPart part, CCalendarTime previousTime)
    : reader(reader), part(part), previousTime(previousTime) {
    reader.SetLiteralSink(&literals);
}

CImapMailSink::~CImapMailSink() {
    reader.SetLiteralSink(nullptr);
}

bool CImapMailSink::TakeLiteral(const std::string& item) {
    if (!IsBodySection(item))
        return false;
    mail = std::make_unique<CFetchedMail>(part, previousTime);
    return true;
}

std::unique_ptr<CFetchedMail> CImapMailSink::TakeMail(const std::vector<ImapValue>& items) {
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        const ImapValue& value = items[i + 1];
        if (items[i].kind != ImapValue::Kind::Atom || !IsBodySection(items[i].text))
            continue;
        if (value.kind == ImapValue::Kind::String) {
            mail = std::make_unique<CFetchedMail>(part, previousTime);
            mail->Write(value.text.data(), value.text.size());
        }
        if (value.kind == ImapValue::Kind::String || value.kind == ImapValue::Kind::Taken)
            return std::move(mail);
    }
    mail.reset();
    return nullptr;
}

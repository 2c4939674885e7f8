#include "mail/fetched_mail.h"

CFetchedMail::CFetchedMail(FetchedPart part, CCalendarTime previousTime) : reader(fields), part(part) {
    fields.mailTime = previousTime;
}

void CFetchedMail::Write(const char* bytes, size_t length) {
    if (!reader.IsHeaderEnded())
        reader.Feed(bytes, length);
    if (storing) {
        store.Write(bytes, length);
        return;
    }
    waiting.append(bytes, length);
    if (reader.IsTimeSettled())
        StartStoring();
}

void CFetchedMail::StartStoring() {
    storing = true;
    if (store.Open(fields.mailTime, part))
        store.Write(waiting.data(), waiting.size());
    std::string().swap(waiting);
}

bool CFetchedMail::Finish() {
    reader.Finish();
    if (!storing)
        StartStoring();
    fields.storeFile = store.Finish();
    return !fields.storeFile.empty();
}

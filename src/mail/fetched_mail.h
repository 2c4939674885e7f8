// One fetched message (the text of a RETR or TOP reply) on its way into the
// .eml store: its header fields are read as the bytes arrive, and the bytes
// are written once, straight into the store file named after the mail's
// date. Until the header has given that date (or ended), the bytes wait in
// memory; a header is small, so little waits.
#pragma once

#include "mail/mail_header.h"
#include "mail/mail_store.h"

#include <string>

class CFetchedMail {
  public:
    // previousTime: the mail time of the message fetched before, which a
    // message without a date line keeps (and is stored under).
    CFetchedMail(FetchedPart part, CCalendarTime previousTime);
    CFetchedMail(const CFetchedMail&) = delete;
    CFetchedMail& operator=(const CFetchedMail&) = delete;

    // The next bytes of the message. A store file that cannot be made or
    // written fails the message at Finish, but the bytes are still taken.
    void Write(const char* bytes, size_t length);
    // The message is complete. False when it could not be stored (nothing of
    // it is left then); otherwise the fields are filled, storeFile included.
    // A message dropped before Finish leaves no file.
    bool Finish();

    const HeaderFields& GetFields() const { return fields; }
    // The header gave to, a sender address and a converted date.
    bool IsComplete() const { return reader.IsComplete(); }
    // A date line of the header did not convert.
    bool HasBadDate() const { return reader.HasBadDate(); }

  private:
    // Opens the store file once the mail's time is known and writes what waited.
    void StartStoring();

    HeaderFields fields;
    CHeaderReader reader;
    CStoreWriter store;
    FetchedPart part;
    std::string waiting; // bytes before the store file was opened
    bool storing = false;
};

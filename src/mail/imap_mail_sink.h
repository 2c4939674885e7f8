// Takes the body section literals of FETCH responses ("BODY[...]") straight
// into the .eml store, one mail for each; a section sent as a quoted string
// is written the same way. Attached to the reader while it lives.
#pragma once

#include "mail/fetched_mail.h"
#include "mail/imap_response.h"

#include <memory>

class CImapMailSink {
  public:
    // previousTime: the mail time a mail without a date line keeps.
    CImapMailSink(CImapReader& reader, FetchedPart part, CCalendarTime previousTime);
    ~CImapMailSink();
    CImapMailSink(const CImapMailSink&) = delete;
    CImapMailSink& operator=(const CImapMailSink&) = delete;

    // The mail of this FETCH response's body section, taken or quoted; null
    // when the response has none. The next response starts afresh.
    std::unique_ptr<CFetchedMail> TakeMail(const std::vector<ImapValue>& items);
    void SetPreviousTime(CCalendarTime time) { previousTime = time; }

  private:
    bool TakeLiteral(const std::string& item);

    CImapReader& reader;
    FetchedPart part;
    CCalendarTime previousTime;
    std::unique_ptr<CFetchedMail> mail;
    const ImapLiteralSink literals{
        [this](const std::string& item, std::uint64_t) { return TakeLiteral(item); },
        [this](const char* bytes, size_t length) { mail->Write(bytes, length); }};
};

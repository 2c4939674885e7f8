// One mail to be sent: sender, subject, body, three recipient lists and its
// attachments. It builds the header block and the body text that the SMTP
// session writes between its part openers and boundaries.
#pragma once

#include "mail/mail_address.h"
#include "mail/mail_attachment.h"
#include "mail/mail_clock.h"

#include <string>
#include <vector>

enum class RecipientKind { To = 0, Cc = 1, Bcc = 2 };

class COutgoingMail {
  public:
    // The clock dates the header; tests pass a fixed one.
    explicit COutgoingMail(const CMailClock& clock = SystemMailClock());
    virtual ~COutgoingMail() = default;

    MailAddress from;
    std::string subject;
    const std::string mailer = "Tidemark "; // X-Mailer value
    MailAddress replyTo;                    // no Reply-To header while its address is empty

    // The header block, ending with an empty line: From, To, Cc (when there
    // is one), Subject, Date, X-Mailer, Reply-To (when set), MIME-Version and
    // Content-type. Bcc recipients never appear. Header texts go out as raw
    // code page 949 bytes; a CR or LF inside one becomes a blank so that no
    // text can add header lines. Reads the clock on every call.
    virtual std::string BuildHeader() const;

    // Keeps text as the body, dot-stuffed for the data stream.
    void SetBody(const std::string& text);
    const std::string& GetBody() const { return body; }

    // The body as it goes on the wire after the header (or after the text
    // part opener): the dot-stuffed text itself when there is no attachment;
    // with attachments, the text as typed, quoted-printable encoded to match
    // the text part's label (which leaves no line to stuff).
    std::string BuildBodyText() const;

    // Parses "Name <address>" or bare address entries separated by "," or
    // ";" into the list of kind. Empty entries are skipped. Returns false at
    // the first entry with a "<" but no ">" after it, which goes trimmed into
    // malformedEntry when given; the entries before it stay in the list and
    // the rest of the text is ignored.
    bool AddRecipients(const std::string& text, RecipientKind kind, std::string* malformedEntry = nullptr);
    // Appends address to the list of kind; its index, or -1 for an unknown kind.
    int AddRecipient(const MailAddress& address, RecipientKind kind);
    // 0 for an unknown kind.
    int GetRecipientCount(RecipientKind kind) const;
    // A copy of the entry; an empty address for an unknown kind or index.
    MailAddress GetRecipient(int index, RecipientKind kind) const;

    // The mail does not own attachments: the caller keeps each alive until the
    // mail has been sent. Returns the attachment's index.
    int AddAttachment(const MailAttachment* attachment);
    const std::vector<const MailAttachment*>& GetAttachments() const { return attachments; }

  private:
    std::vector<MailAddress>* ListOf(RecipientKind kind);
    const std::vector<MailAddress>* ListOf(RecipientKind kind) const;

    const CMailClock* clock;
    std::string body; // dot-stuffed
    std::vector<MailAddress> toList;
    std::vector<MailAddress> ccList;
    std::vector<MailAddress> bccList;
    std::vector<const MailAttachment*> attachments;
};

// Header extraction: the header block of every fetched message gives the
// recipient, copy, sender, subject and date of the message.
#pragma once

#include "base/calendar_time.h"

#include <string>

// The longest header line read (longer ones are cut there). It bounds every
// field taken from a line, so a hostile header costs little memory.
constexpr size_t maxHeaderLineBytes = 4096;

// The fields a fetch extracts, held by the POP3 session for the message of
// its latest TOP or RETR.
struct HeaderFields {
    std::string to; // decoded first "To: " line
    std::string cc; // decoded first "Cc: " line
    std::string senderName;
    std::string senderAddress;
    std::string subject;
    std::u16string senderNameWide; // the two above with every character, for the screen
    std::u16string subjectWide;
    std::string dateText; // empty until a date converted
    std::string storeFile;
    CCalendarTime mailTime; // kept from the previous message when no date line is found
};

// Splits a decoded From text into display name and address:
//  - with "<" and ">": the address lies after the last "<" up to the last
//    character (excluded); the name is the text between a leading double
//    quote and the next one (empty without a second), else the text before
//    the last "<";
//  - else with "(" and ")": the address is the text before the last "("
//    (a blank before it stays), the name lies after it up to the last
//    character (excluded);
//  - else the whole text is the address and the name is empty.
// Trailing white space is trimmed from the name.
void SplitSender(const std::string& text, std::string& name, std::string& address);

// Reads the header block of a message as its bytes arrive, one physical line
// at a time (at most maxHeaderLineBytes of each; LF ends a line) until the
// first line that is empty once trimmed of blanks, tabs, CR and LF, or the
// end of the message, and fills fields: the first "To: ", "Cc: ", "From: "
// and "Subject: " lines (each key as written, in lower or in upper case, the
// blank included; of a From list, its first mailbox) and the date of the
// topmost Received header that names a month, else of the Date line.
// The strings are emptied first; mailTime changes only when a date line is
// converted. A date line that does not convert is noted (HasBadDate).
class CHeaderReader {
  public:
    explicit CHeaderReader(HeaderFields& fields);

    // Reads the next bytes of the message; those after the header go unread.
    void Feed(const char* bytes, size_t length);
    // The message has ended: its last line counts even without an LF.
    void Finish();

    bool IsHeaderEnded() const { return ended; }
    // A date line was met that did not convert.
    bool HasBadDate() const { return badDate; }
    // The mail's time can change no more: a date converted or the header ended.
    bool IsTimeSettled() const { return ended || !fields.dateText.empty(); }
    // The header gave to, senderAddress and a date that converted.
    bool IsComplete() const {
        return !fields.to.empty() && !fields.senderAddress.empty() && !fields.dateText.empty() &&
               dateConverted;
    }

  private:
    // Examines one line (without its LF).
    void TakeLine();

    HeaderFields& fields;
    std::string line;         // the line read so far, cut at maxHeaderLineBytes
    bool lineStarted = false; // bytes of a line have come since the last LF
    bool dateConverted = false;
    bool badDate = false;
    bool inReceived = false;
    bool ended = false;
};

// The reader of a multi-line POP3 reply (TOP, RETR) as its bytes arrive in
// chunks of any size. It decides the reply's kind from its first bytes, skips
// the status line, and hands on the message text exactly as sent: dot-stuffed
// lines keep their leading dot and lines keep their CR LF. The reply ends at
// CR LF "." CR LF, recognised wherever the chunk boundaries fall; the CR LF
// before the "." belongs to the terminator, so the text ends without the
// last line's CR LF. The status line's own CR LF counts as a line end, so a
// reply whose text is empty is "+OK ..." CR LF "." CR LF.
#pragma once

#include <cstddef>
#include <string>

class CMultiLineReply {
  public:
    enum class State {
        Reading,  // more bytes are needed
        Complete, // the terminator has been read
        Refused,  // the reply is a "-ERR" line (read up to its LF)
    };

    // Reads bytes from chunk, appending the message text among them to text.
    // Stops after the terminator or the "-ERR" line; `used` tells how many
    // bytes of the chunk belong to this reply (the rest is the next one's).
    State Feed(const char* chunk, size_t length, std::string& text, size_t& used);

    // The kind is known: the reply carries message text (a "+OK" status
    // line, or no status line at all). False while the first bytes are still
    // being read and for a "-ERR" reply.
    bool IsMessage() const {
        return phase == Phase::StatusLine || phase == Phase::Text || phase == Phase::Done;
    }

  private:
    enum class Phase { Start, StatusLine, ErrorLine, Text, Done, Refused };

    State GetState() const;

    void StartText(const char* bytes, size_t length, std::string& text);
    // Scans message text; returns the count of bytes used.
    size_t ScanText(const char* bytes, size_t length, std::string& text);

    Phase phase = Phase::Start;
    std::string opening;    // the first bytes, until they tell the reply's kind
    bool lastWasCR = false; // status line: the byte before was CR
    int matched = 2;        // bytes of CR LF "." CR LF matched and held back
    int unsentHeld = 2;     // leading held bytes that were never text (the status line's CR LF)
};

// The longest unique id taken from a UIDL reply (RFC 1939 allows 70 bytes).
constexpr size_t maxUniqueIdBytes = 256;

// One line of a UIDL listing, or a one-message UIDL reply after its "+OK":
// the message number, blanks, and the unique id (1 to maxUniqueIdBytes bytes
// from 0x21 to 0x7E), then nothing but blanks and the line end. False for any
// other shape.
bool ParseUniqueIdLine(const std::string& line, int& number, std::string& id);

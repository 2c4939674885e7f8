// Building IMAP command lines, and reading the data items they ask for.
#pragma once

#include "base/calendar_time.h"

#include <cstdint>
#include <string>
#include <vector>

// One command: a tag, a name and arguments. A string argument goes quoted
// when it can; one with bytes a quoted string may not hold (8-bit, CR, LF)
// goes as a literal, which waits for the server's "+", so the command
// becomes several segments, each but the first sent after a continuation.
class CImapCommand {
  public:
    CImapCommand(const std::string& tag, const std::string& name);

    CImapCommand& Atom(const std::string& text);
    CImapCommand& String(const std::string& text);
    // A line the server asks for with "+" after the command (AUTHENTICATE).
    CImapCommand& Continue(const std::string& text);

    const std::string& Tag() const { return tag; }
    // The segments; the last ends the command with CR LF.
    std::vector<std::string> Segments() const;

  private:
    std::string tag;
    std::vector<std::string> segments;
};

// The UIDs as sets of numbers and ranges ("3:5,8"), each set at most
// maxBytes long so that no command line grows without bound.
std::vector<std::string> UidSets(std::vector<std::uint32_t> uids, size_t maxBytes);

// An INTERNALDATE ("17-Jul-1996 02:44:25 -0700", the day also space-padded)
// as a calendar time; false when it is not one.
bool ParseInternalDate(const std::string& text, CCalendarTime& time);

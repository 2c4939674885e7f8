// The reader of an IMAP server's responses (RFC 3501, RFC 9051) as their
// bytes arrive: tagged and untagged responses and the "+" continuation, with
// literals {n} wherever a string may stand, quoted strings with their
// escapes, NIL and parenthesised lists. Every response is bounded: its lines,
// its literals and the response as a whole have limits, and nesting has a
// depth limit, so a hostile server costs little memory and no deep recursion.
//
// A status response (OK, NO, BAD, BYE, PREAUTH) keeps its response code (the
// text between "[" and "]") and its human text apart; other responses are
// parsed into values. A literal too large to keep in memory (a whole mail)
// can be handed to a sink as its bytes arrive instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ImapValue {
    enum class Kind {
        Atom,   // also numbers, flags ("\Seen") and section names ("BODY[HEADER]")
        String, // quoted string or literal
        Nil,
        List,
        Taken, // a literal whose bytes went to the sink
    };
    Kind kind = Kind::Atom;
    std::string text;             // Atom, String
    std::vector<ImapValue> items; // List

    bool IsAtom(const char* name) const; // an atom of that name, in any case
    // A number of up to 32 bits: true with value set, else false.
    bool GetNumber(std::uint32_t& value) const;
};

struct ImapResponse {
    enum class Kind { Untagged, Tagged, Continuation };
    Kind kind = Kind::Untagged;
    std::string tag;             // Tagged
    std::string status;          // "OK", "NO", "BAD", "BYE" or "PREAUTH" (upper case); empty for data
    std::string code;            // the response code of a status response, without its brackets
    std::string text;            // the human text of a status response or continuation
    std::vector<ImapValue> data; // the values of a data response: "5" "FETCH" (...), "CAPABILITY" ...

    // A numbered data response of that name ("5 EXISTS", "5 FETCH (...)"): true with number set.
    bool IsNumbered(const char* name, std::uint32_t& number) const;
    // The item list of a FETCH response, or null.
    const std::vector<ImapValue>* FetchItems() const;

    // The value after the atom `name` in a data list, or null.
    static const ImapValue* Find(const std::vector<ImapValue>& list, const char* name);
    // The UID a FETCH item list names: 0 when it names none.
    static std::uint32_t FetchUid(const std::vector<ImapValue>& items);
};

// Takes the literals that follow the item `item` (the atom before the
// literal in its list, such as "BODY[]") when it wants them.
struct ImapLiteralSink {
    // A literal of `size` bytes follows `item`: true to take its bytes
    // (then given to write), false to keep it in the response.
    std::function<bool(const std::string& item, std::uint64_t size)> take;
    std::function<void(const char* bytes, size_t length)> write;
};

class CImapReader {
  public:
    enum class Result {
        Read,      // a response was read
        Failed,    // the byte source failed (closed, timed out, stopped)
        TooLarge,  // a line, literal or response beyond its limit
        Malformed, // bytes that are no response
    };
    struct Limits {
        size_t lineBytes = 1 << 20;           // one line, without its literals
        size_t responseBytes = 8 << 20;       // a response with the literals it keeps
        std::uint64_t takenBytes = 128 << 20; // one literal handed to the sink
        int depth = 64;                       // lists within lists
    };
    // Receives at most size bytes into buffer: the count, 0 on failure.
    using Source = std::function<size_t(char* buffer, size_t size)>;

    explicit CImapReader(Source source) : source(std::move(source)) {}

    // Reads the next response. After anything but Read the conversation is
    // out of step: the caller ends it.
    Result Read(ImapResponse& response);

    // All bytes taken from the source or pushed so far.
    std::uint64_t GetBytesReceived() const { return received; }
    // Bytes that arrived beyond the last response.
    bool HasPending() const { return start < pending.size(); }
    // Bytes received elsewhere, to be read before the source's.
    void Push(const char* bytes, size_t length) {
        pending.append(bytes, length);
        received += length;
    }
    // Forgets what was received and not yet read (bytes that came with the
    // answer to STARTTLS were not protected).
    void Discard();

    void SetLimits(const Limits& newLimits) { limits = newLimits; }
    // Null: every literal is kept in its response.
    void SetLiteralSink(const ImapLiteralSink* newSink) { sink = newSink; }

  private:
    bool ReadLine(); // the next line into `line`, without CR LF
    bool ReadLiteral(std::uint64_t size, ImapValue& value, const std::string& item);
    bool Fill(); // more bytes from the source
    Result ParseData(std::vector<ImapValue>& values);
    bool ParseValue(ImapValue& value, int depth, const std::string& item);
    bool ParseList(std::vector<ImapValue>& items, int depth);
    bool ParseQuoted(std::string& text);
    bool ParseAtom(std::string& text);
    void ParseStatusText(ImapResponse& response);
    // Ends a line at a literal marker "{n}" (or "{n+}"): true with size set.
    bool LiteralAtLineEnd(std::uint64_t& size);
    bool AtLineEnd() const { return at >= line.size(); }
    Result Fail(Result result) {
        failure = result;
        return result;
    }

    Source source;
    Limits limits;
    const ImapLiteralSink* sink = nullptr;
    std::string pending; // bytes received and not yet read, from `start`
    size_t start = 0;
    std::string line; // the line being parsed
    size_t at = 0;    // position in line
    size_t responseBytes = 0;
    std::uint64_t received = 0;
    Result failure = Result::Read;
};

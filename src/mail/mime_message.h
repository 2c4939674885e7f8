// Reader of received MIME messages (RFC 2045-2049): the tree of parts of a
// message file, their transfer decoding and their text in UTF-16.
//
// Bounded for hostile mail: at most maxParts parts and maxDepth levels of
// nesting are read (the rest of the message counts as the last part's
// body), a multipart whose boundary is longer than maxBoundaryLength is
// not split, header lines are cut at maxHeaderLineBytes, and text is decoded
// from at most maxTextBytes of a part's body. Time is linear in the message
// for each level of nesting.
#pragma once

#include <string>
#include <vector>

struct MimePart {
    std::string type = "text/plain"; // lower case, without parameters
    std::string charset;             // the charset parameter, as written
    std::string encoding;            // transfer encoding, lower case ("7bit" when absent)
    bool flowed = false;             // format=flowed
    bool delSp = false;              // delsp=yes
    bool attachment = false;         // Content-Disposition: attachment
    std::u16string fileName;         // filename or name parameter, decoded
    std::string contentId;           // without the angle brackets
    // From, To, Cc, Date and Subject of the part's header, decoded and
    // labelled ("보낸 사람: ..."): shown for a message nested in another.
    std::vector<std::u16string> headerLines;
    size_t bodyStart = 0, bodyEnd = 0; // the raw body in the message text
    std::vector<size_t> children;      // indices into the part list
    int depth = 0;

    bool IsMultipart() const { return type.compare(0, 10, "multipart/") == 0; }
    bool IsText() const { return type == "text/plain" || type == "text/html"; }
};

class CMimeMessage {
  public:
    static constexpr size_t maxParts = 1000;
    static constexpr int maxDepth = 16;
    static constexpr size_t maxTextBytes = 4u << 20;
    // RFC 2046 allows 70 characters; some mailers write a few more.
    static constexpr size_t maxBoundaryLength = 100;

    // Reads the tree of a whole message (header and body). Never fails:
    // text that is no MIME is one text/plain part.
    explicit CMimeMessage(std::string message);

    // Part 0 is the message itself; children follow their parents.
    const std::vector<MimePart>& Parts() const { return parts; }
    // Whether parts were left unread: beyond maxParts or maxDepth, or
    // behind a boundary longer than maxBoundaryLength.
    bool PartsLimited() const { return partsLimited; }

    // The body of a part with its transfer encoding undone.
    std::string DecodedBody(const MimePart& part) const;
    // The text of a text part in UTF-16, from at most maxTextBytes of its
    // body (`cut` tells whether the body was longer); format=flowed lines
    // are joined. Without a charset: UTF-8 when the bytes are valid UTF-8,
    // else code page 949; an HTML part may name it in a meta tag.
    std::u16string Text(const MimePart& part, bool& cut) const;
    // Size of the decoded body, computed without decoding it.
    size_t DecodedSize(const MimePart& part) const;

  private:
    // Reads the part whose header starts at `start` and whose text ends at
    // `end`; returns its index.
    size_t ReadPart(size_t start, size_t end, int depth);
    // Reads the parts of multipart `index`; false when no delimiter line
    // was found.
    bool ReadChildren(size_t index, const std::string& boundary);

    std::string message;
    std::vector<MimePart> parts;
    bool partsLimited = false;
};

// Undoes format=flowed (RFC 3676): a line ending in a blank joins the next
// line of the same quote depth (with delSp its blank goes); a leading
// blank added to stuff a line goes.
std::u16string UnflowText(const std::u16string& text, bool delSp);

// The parsers' fuzz targets: each takes arbitrary bytes, runs one parser on
// them and checks what must hold for every input. Returns false when a
// property fails (a crash, a hang or a bad read is caught by the sanitizers
// and the fuzzer's time-out). Used by the libFuzzer drivers beside this file
// (scripts/fuzz.sh) and by the randomized test of tests/native.
#pragma once

#include "base/ascii_text.h"
#include "mail/encoded_words.h"
#include "mail/html_text.h"
#include "mail/mail_date.h"
#include "mail/fetched_mail.h"
#include "mail/message_view.h"
#include "mail/pop3_reply.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

inline std::string Bytes(const std::uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline std::string ReadStored(const std::string& path) {
    std::string stored;
    if (std::FILE* copy = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        size_t n;
        while ((n = std::fread(block, 1, sizeof(block), copy)) > 0)
            stored.append(block, n);
        std::fclose(copy);
    }
    return stored;
}

// The header extraction and the store over a message of these bytes, in the
// store directory `dir` (emptied of store files first): the stored file
// must equal the bytes, and neither the fields nor the file may depend on
// how the bytes arrive (whole, or in pieces whose sizes the bytes choose).
inline bool ParseHeadersTarget(const std::uint8_t* data, size_t size, const std::string& dir) {
    SetTemporaryDirectory(dir);
    DeleteStoreFiles();
    const std::string bytes = Bytes(data, size);
    const FetchedPart part = size > 0 && (data[0] & 1) ? FetchedPart::HeaderOnly : FetchedPart::Whole;
    CFetchedMail whole(part, CCalendarTime());
    whole.Write(bytes.data(), bytes.size());
    if (!whole.Finish())
        return false;
    const HeaderFields& f = whole.GetFields();
    if (whole.IsComplete() && (f.to.empty() || f.senderAddress.empty() || f.dateText.empty()))
        return false;
    if (ReadStored(f.storeFile) != bytes)
        return false;

    CFetchedMail pieces(part, CCalendarTime());
    for (size_t at = 0; at < size;) {
        const size_t n = std::min<size_t>(1 + data[at] % 61, size - at);
        pieces.Write(bytes.data() + at, n);
        at += n;
    }
    if (!pieces.Finish())
        return false;
    const HeaderFields& g = pieces.GetFields();
    return g.to == f.to && g.cc == f.cc && g.senderName == f.senderName &&
           g.senderAddress == f.senderAddress && g.subject == f.subject && g.dateText == f.dateText &&
           g.mailTime == f.mailTime && g.storeFile == f.storeFile &&
           pieces.IsComplete() == whole.IsComplete();
}

inline bool DecodeHeaderTextTarget(const std::uint8_t* data, size_t size) {
    const std::string text = Bytes(data, size);
    const std::string decoded = DecodeHeaderText(text);
    // A pass that does not shorten the text is the last, and the first one
    // at most doubles it.
    return decoded.size() <= 2 * text.size() + 8;
}

inline bool SameFields(const LocalTimeFields& a, const LocalTimeFields& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

// Dates, month search, display dates and the sender split.
inline bool DatesTarget(const std::uint8_t* data, size_t size) {
    const std::string text = Bytes(data, size);
    CCalendarTime time;
    std::string display;
    if (ConvertDate(text, time, display)) {
        LocalTimeFields converted, readBack;
        if (!time.IsValid() || display != FormatDisplayDate(time) || !time.GetLocalFields(converted))
            return false;
        // The display form reads back to the same local clock time.
        if (!ParseDisplayDate(display).GetLocalFields(readBack) || !SameFields(converted, readBack))
            return false;
    } else if (!display.empty() || time.IsValid()) {
        return false;
    }
    const int month = FindMonth(text);
    if (month != -1 && (static_cast<size_t>(month) + 4 > text.size() || text[month + 3] != ' ' ||
                        MonthNumber(text.substr(month, 3)) == 0))
        return false;
    ParseDisplayDate(text);
    FormatClockTime(CCalendarTime(static_cast<std::int64_t>(DecimalValue(text)) * 97));
    std::string name, address;
    SplitSender(text, name, address);
    // Both are pieces of the text (a quoted name may reach past the "<").
    return name.size() <= text.size() && address.size() <= text.size();
}

// The multi-line reply reader: the stream after the first byte, cut into
// chunks whose sizes come from the first byte, must read exactly as when it
// comes in one piece.
inline bool ReplyReaderTarget(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return true;
    const std::string stream = Bytes(data + 1, size - 1);
    CMultiLineReply whole;
    std::string wholeText;
    size_t wholeUsed = 0;
    const CMultiLineReply::State wholeState = whole.Feed(stream.data(), stream.size(), wholeText, wholeUsed);

    CMultiLineReply pieces;
    std::string piecesText;
    CMultiLineReply::State piecesState = CMultiLineReply::State::Reading;
    size_t at = 0, piecesUsed = 0;
    unsigned seed = data[0];
    while (at < stream.size()) {
        seed = seed * 1103515245u + 12345u;
        const size_t n = std::min<size_t>(1 + (seed >> 16) % (data[0] % 16 + 1), stream.size() - at);
        size_t used = 0;
        piecesState = pieces.Feed(stream.data() + at, n, piecesText, used);
        if (used > n)
            return false;
        if (piecesState != CMultiLineReply::State::Reading) {
            piecesUsed = at + used;
            break;
        }
        at += n;
        piecesUsed = at;
    }
    if (piecesState != wholeState || piecesText != wholeText || piecesUsed != wholeUsed)
        return false;
    if (wholeText.size() > stream.size() || wholeText.find("\r\n.\r\n") != std::string::npos)
        return false;
    return wholeState != CMultiLineReply::State::Refused || wholeText.empty();
}

// The MIME reader and the message view over arbitrary mail: parts lie in
// the message, the view fits its document and every listed attachment's
// line lies in it.
inline bool MessageViewTarget(const std::uint8_t* data, size_t size) {
    const CMimeMessage message(Bytes(data, size));
    for (const MimePart& part : message.Parts())
        if (part.bodyStart > part.bodyEnd || part.bodyEnd > size)
            return false;
    CRichDocument document;
    std::vector<ListedAttachment> attachments;
    BuildMessageView(message, document, attachments);
    if (document.Length() > CRichDocument::defaultCapacity ||
        document.PlainText().size() != document.Length())
        return false;
    for (const ListedAttachment& attachment : attachments)
        if (attachment.part >= message.Parts().size() || attachment.textStart >= attachment.textEnd ||
            attachment.textEnd > document.Length())
            return false;
    return true;
}

// The HTML formatter over arbitrary bytes taken as UTF-16 units: its text
// stays within a fixed multiple of the input (the longest expansion is a
// list item's indent and bullet), and no script text shows.
inline bool HtmlTextTarget(const std::uint8_t* data, size_t size) {
    std::u16string html;
    for (size_t i = 0; i + 1 < size; i += 2)
        html += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    CRichDocument document;
    AppendHtml(u"<script>secret</script>" + html, document);
    const std::u16string text = document.PlainText();
    return text.size() <= 16 * html.size() + 64 &&
           (text.find(u"secret") == std::u16string::npos || html.find(u"secret") != std::u16string::npos);
}

} // namespace fuzz

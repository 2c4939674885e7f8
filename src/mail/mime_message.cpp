#include "mail/mime_message.h"

#include "base/ascii_text.h"
#include "mail/charset.h"
#include "mail/encoded_words.h"
#include "mail/mail_header.h"
#include "mail/mime_parameters.h"
#include "mail/transfer_decoding.h"

#include <algorithm>
#include <cstring>

namespace {

// The header lines from `start` up to the empty line, unfolded, each
// physical line cut at maxHeaderLineBytes; `bodyStart` receives where the
// body begins (`end` when there is no empty line).
std::vector<std::string> ReadHeaderLines(const std::string& message, size_t start, size_t end,
                                         size_t& bodyStart) {
    std::vector<std::string> lines;
    size_t at = start;
    bodyStart = end;
    while (at < end) {
        size_t lineEnd = message.find('\n', at);
        if (lineEnd == std::string::npos || lineEnd > end)
            lineEnd = end;
        std::string line = message.substr(at, std::min(lineEnd - at, maxHeaderLineBytes));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        at = lineEnd + 1;
        if (line.empty()) {
            bodyStart = std::min(at, end);
            break;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
            // Folded fields of hostile mail could be endless: keep one short.
            if (lines.back().size() < 4 * maxHeaderLineBytes)
                lines.back() += line;
        } else if (lines.size() < 1000) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

// The value of header line `line` when its field name is `name` (lower
// case, with the colon).
bool FieldValue(const std::string& line, const char* name, std::string& value) {
    if (!StartsWithNoCase(line, name))
        return false;
    value = TrimWhiteSpace(line.substr(std::char_traits<char>::length(name)));
    return true;
}

// Where the charset of an HTML part is named in a meta tag near its start.
std::string MetaCharset(const std::string& html) {
    const std::string head = AsciiLower(html.substr(0, 4096));
    const size_t at = head.find("charset=");
    if (at == std::string::npos)
        return std::string();
    size_t start = at + 8;
    if (start < head.size() && (head[start] == '"' || head[start] == '\''))
        ++start;
    const size_t end = head.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_.:", start);
    return head.substr(start, end == std::string::npos ? end : end - start);
}

// The header fields shown for a nested message, with their labels.
struct HeaderLabel {
    const char* field;
    const char16_t* label;
};
constexpr HeaderLabel headerLabels[] = {
    {"From:", u"보낸 사람: "}, {"To:", u"받는 사람: "}, {"Cc:", u"참조: "},
    {"Date:", u"날짜: "},      {"Subject:", u"제목: "},
};

} // namespace

CMimeMessage::CMimeMessage(std::string text) : message(std::move(text)) {
    ReadPart(0, message.size(), 0);
}

size_t CMimeMessage::ReadPart(size_t start, size_t end, int depth) {
    const size_t index = parts.size();
    parts.emplace_back();
    size_t bodyStart;
    const std::vector<std::string> lines = ReadHeaderLines(message, start, end, bodyStart);
    std::string boundary;
    {
        MimePart& part = parts[index];
        part.depth = depth;
        part.bodyStart = bodyStart;
        part.bodyEnd = end;
        part.encoding = "7bit";
        std::vector<MimeParameter> typeParameters, dispositionParameters;
        for (const std::string& line : lines) {
            std::string value;
            if (FieldValue(line, "content-type:", value)) {
                typeParameters.clear();
                const std::string type = SplitParameters(value, typeParameters);
                if (type.find('/') != std::string::npos)
                    part.type = type;
            } else if (FieldValue(line, "content-transfer-encoding:", value)) {
                part.encoding = AsciiLower(value);
            } else if (FieldValue(line, "content-disposition:", value)) {
                dispositionParameters.clear();
                part.attachment = SplitParameters(value, dispositionParameters) == "attachment";
            } else if (FieldValue(line, "content-id:", value)) {
                part.contentId = TrimBytes(value, "<> ");
            } else {
                for (const HeaderLabel& label : headerLabels)
                    if (FieldValue(line, label.field, value))
                        part.headerLines.push_back(label.label + DecodeHeaderTextWide(value));
            }
        }
        part.charset = ReadParameter(typeParameters, "charset").bytes;
        boundary = ReadParameter(typeParameters, "boundary").bytes;
        part.flowed = AsciiLower(ReadParameter(typeParameters, "format").bytes) == "flowed";
        part.delSp = AsciiLower(ReadParameter(typeParameters, "delsp").bytes) == "yes";
        part.fileName = ParameterText(dispositionParameters, "filename");
        if (part.fileName.empty())
            part.fileName = ParameterText(typeParameters, "name");
    }
    if (depth >= maxDepth) {
        partsLimited = partsLimited || parts[index].IsMultipart() || parts[index].type == "message/rfc822";
        return index;
    }
    if (parts[index].IsMultipart() && boundary.size() > maxBoundaryLength) {
        partsLimited = true;
    } else if (parts[index].IsMultipart()) {
        // A multipart without a delimiter line is text, as a mailer that
        // knows no MIME would show it: better than nothing.
        if (boundary.empty() || !ReadChildren(index, boundary))
            parts[index].type = "text/plain";
    } else if (parts[index].type == "message/rfc822" && parts.size() < maxParts) {
        const size_t child = ReadPart(bodyStart, end, depth + 1);
        parts[index].children.push_back(child);
    }
    return index;
}

bool CMimeMessage::ReadChildren(size_t index, const std::string& boundary) {
    const std::string delimiter = "--" + boundary;
    const size_t end = parts[index].bodyEnd;
    // Finds the next line at or after `from` that starts with the delimiter.
    // Only the starts of lines are compared, so the search is linear in the
    // body whatever the delimiter.
    const auto nextDelimiter = [&](size_t from) {
        for (size_t at = from; at + delimiter.size() <= end;) {
            if (message.compare(at, delimiter.size(), delimiter) == 0)
                return at;
            const void* lf = std::memchr(message.data() + at, '\n', end - at);
            if (!lf)
                break;
            at = static_cast<size_t>(static_cast<const char*>(lf) - message.data()) + 1;
        }
        return std::string::npos;
    };
    size_t at = nextDelimiter(parts[index].bodyStart);
    const bool found = at != std::string::npos;
    while (at != std::string::npos) {
        const size_t after = at + delimiter.size();
        if (message.compare(after, 2, "--") == 0)
            break; // the close delimiter
        const size_t lineEnd = message.find('\n', after);
        if (lineEnd == std::string::npos || lineEnd >= end)
            break;
        const size_t start = lineEnd + 1;
        const size_t next = nextDelimiter(start);
        // The line break before a delimiter belongs to the delimiter.
        size_t partEnd = next == std::string::npos ? end : next;
        if (partEnd > start && message[partEnd - 1] == '\n')
            --partEnd;
        if (partEnd > start && message[partEnd - 1] == '\r')
            --partEnd;
        if (parts.size() >= maxParts) {
            partsLimited = true;
            break;
        }
        const size_t child = ReadPart(start, std::max(start, partEnd), parts[index].depth + 1);
        parts[index].children.push_back(child);
        at = next;
    }
    return found;
}

std::string CMimeMessage::DecodedBody(const MimePart& part) const {
    const std::string raw = message.substr(part.bodyStart, part.bodyEnd - part.bodyStart);
    if (part.encoding == "base64")
        return DecodeBase64(raw);
    if (part.encoding == "quoted-printable")
        return DecodeQuotedPrintable(raw);
    return raw;
}

size_t CMimeMessage::DecodedSize(const MimePart& part) const {
    if (part.encoding == "quoted-printable")
        return DecodedBody(part).size();
    if (part.encoding != "base64")
        return part.bodyEnd - part.bodyStart;
    size_t digits = 0;
    for (size_t i = part.bodyStart; i < part.bodyEnd && message[i] != '='; ++i) {
        const char c = message[i];
        digits += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                  c == '/';
    }
    return digits * 3 / 4;
}

std::u16string CMimeMessage::Text(const MimePart& part, bool& cut) const {
    const size_t size = part.bodyEnd - part.bodyStart;
    cut = size > maxTextBytes;
    MimePart head = part;
    head.bodyEnd = part.bodyStart + std::min(size, maxTextBytes);
    const std::string bytes = DecodedBody(head);
    std::string charset = part.charset;
    if (charset.empty() && part.type == "text/html")
        charset = MetaCharset(bytes);
    if (charset.empty())
        charset = IsValidUtf8(bytes) ? "utf-8" : "cp949";
    std::u16string text;
    if (!DecodeCharset(charset, bytes, text))
        DecodeCharset("cp949", bytes, text);
    // Line ends become "\n".
    text.erase(std::remove(text.begin(), text.end(), u'\r'), text.end());
    return part.flowed ? UnflowText(text, part.delSp) : text;
}

std::u16string UnflowText(const std::u16string& text, bool delSp) {
    std::u16string out;
    out.reserve(text.size());
    bool joining = false; // the last line was flowed
    size_t lastDepth = 0;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find(u'\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::u16string line = text.substr(at, end - at);
        size_t depth = 0;
        while (depth < line.size() && line[depth] == u'>')
            ++depth;
        std::u16string content = line.substr(depth);
        if (!content.empty() && content[0] == u' ')
            content.erase(0, 1); // stuffing
        if (joining && depth == lastDepth) {
            out += content;
        } else {
            if (joining)
                out += u'\n';
            out += line.substr(0, depth) + (depth ? u" " : u"") + content;
        }
        const bool flowed = !content.empty() && content.back() == u' ' && content != u"-- ";
        if (flowed && delSp)
            out.pop_back();
        joining = flowed;
        lastDepth = depth;
        if (!flowed && end < text.size())
            out += u'\n';
        at = end + 1;
    }
    return out;
}

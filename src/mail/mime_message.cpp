#include "mail/mime_message.h"

#include "base/ascii_text.h"
#include "mail/charset.h"
#include "mail/encoded_words.h"
#include "mail/transfer_decoding.h"

#include <algorithm>
#include <map>

namespace {

struct Parameter {
    std::string name; // lower case
    std::string value;
};

// "type/subtype; name=value; name*=charset'lang'%XX; name="quoted \" text""
// split into the main value (lower case) and its parameters.
std::string SplitParameters(const std::string& field, std::vector<Parameter>& parameters) {
    size_t at = field.find(';');
    const std::string value = AsciiLower(TrimWhiteSpace(field.substr(0, at)));
    while (at != std::string::npos && at < field.size()) {
        ++at;
        const size_t equals = field.find('=', at);
        const size_t semicolon = field.find(';', at);
        if (equals == std::string::npos)
            break;
        if (semicolon < equals) {
            at = semicolon;
            continue;
        }
        Parameter parameter;
        parameter.name = AsciiLower(TrimWhiteSpace(field.substr(at, equals - at)));
        at = equals + 1;
        while (at < field.size() && (field[at] == ' ' || field[at] == '\t'))
            ++at;
        if (at < field.size() && field[at] == '"') {
            for (++at; at < field.size() && field[at] != '"'; ++at) {
                if (field[at] == '\\' && at + 1 < field.size())
                    ++at;
                parameter.value += field[at];
            }
            at = field.find(';', at);
        } else {
            const size_t end = field.find(';', at);
            parameter.value = TrimWhiteSpace(field.substr(at, end == std::string::npos ? end : end - at));
            at = end;
        }
        parameters.push_back(std::move(parameter));
    }
    return value;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The text of parameter `name`: plain (perhaps with encoded words, as many
// mailers write file names), or RFC 2231 "name*" and "name*0*", "name*1"...
std::u16string ParameterText(const std::vector<Parameter>& parameters, const std::string& name) {
    std::map<int, const Parameter*> sections;
    for (const Parameter& parameter : parameters) {
        if (parameter.name == name)
            return DecodeHeaderTextWide(parameter.value);
        if (parameter.name.compare(0, name.size() + 1, name + "*") != 0)
            continue;
        const std::string rest = parameter.name.substr(name.size() + 1);
        const int section = rest.empty() || rest == "*" ? 0 : DecimalValue(rest);
        if (section >= 0 && section < 1000 &&
            (rest.empty() || rest == "*" || (rest[0] >= '0' && rest[0] <= '9')))
            sections.emplace(section, &parameter);
    }
    if (sections.empty())
        return std::u16string();
    std::string charset, bytes;
    for (const auto& [section, parameter] : sections) {
        const bool extended = parameter->name.back() == '*';
        std::string value = parameter->value;
        if (extended && section == sections.begin()->first) {
            // charset'language'text
            const size_t first = value.find('\'');
            const size_t second = first == std::string::npos ? first : value.find('\'', first + 1);
            if (second != std::string::npos) {
                charset = value.substr(0, first);
                value = value.substr(second + 1);
            }
        }
        bytes += extended ? PercentDecode(value) : value;
    }
    std::u16string text;
    if (charset.empty() || !DecodeCharset(charset, bytes, text))
        DecodeCharset(IsValidUtf8(bytes) ? "utf-8" : "cp949", bytes, text);
    return text;
}

// The header lines from `start` up to the empty line, unfolded; `bodyStart`
// receives where the body begins (`end` when there is no empty line).
std::vector<std::string> ReadHeaderLines(const std::string& message, size_t start, size_t end,
                                         size_t& bodyStart) {
    std::vector<std::string> lines;
    size_t at = start;
    bodyStart = end;
    while (at < end) {
        size_t lineEnd = message.find('\n', at);
        if (lineEnd == std::string::npos || lineEnd > end)
            lineEnd = end;
        std::string line = message.substr(at, lineEnd - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        at = lineEnd + 1;
        if (line.empty()) {
            bodyStart = std::min(at, end);
            break;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
            // Header lines of hostile mail could be endless: keep a field short.
            if (lines.back().size() < 16384)
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
        std::vector<Parameter> typeParameters, dispositionParameters;
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
        for (const Parameter& parameter : typeParameters) {
            if (parameter.name == "charset")
                part.charset = parameter.value;
            else if (parameter.name == "boundary")
                boundary = parameter.value;
            else if (parameter.name == "format")
                part.flowed = AsciiLower(parameter.value) == "flowed";
            else if (parameter.name == "delsp")
                part.delSp = AsciiLower(parameter.value) == "yes";
        }
        part.fileName = ParameterText(dispositionParameters, "filename");
        if (part.fileName.empty())
            part.fileName = ParameterText(typeParameters, "name");
    }
    if (depth >= maxDepth) {
        partsLimited = partsLimited || parts[index].IsMultipart() || parts[index].type == "message/rfc822";
        return index;
    }
    if (parts[index].IsMultipart() && !boundary.empty()) {
        ReadChildren(index, boundary);
    } else if (parts[index].type == "message/rfc822" && parts.size() < maxParts) {
        const size_t child = ReadPart(bodyStart, end, depth + 1);
        parts[index].children.push_back(child);
    }
    return index;
}

void CMimeMessage::ReadChildren(size_t index, const std::string& boundary) {
    const std::string delimiter = "--" + boundary;
    const size_t end = parts[index].bodyEnd;
    // Finds the next delimiter line at or after `from`.
    const auto nextDelimiter = [&](size_t from) {
        for (size_t at = message.find(delimiter, from); at != std::string::npos && at < end;
             at = message.find(delimiter, at + 1)) {
            if (at + delimiter.size() > end)
                break;
            if (at == parts[index].bodyStart || message[at - 1] == '\n')
                return at;
        }
        return std::string::npos;
    };
    size_t at = nextDelimiter(parts[index].bodyStart);
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

#include "mail/html_text.h"

#include "mail/charset.h"

#include <algorithm>
#include <vector>

namespace {

struct NamedEntity {
    const char* name;
    char16_t character;
};

constexpr NamedEntity namedEntities[] = {
    {"amp", u'&'},     {"lt", u'<'},      {"gt", u'>'},      {"quot", u'"'},    {"apos", u'\''},
    {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"hellip", 0x2026},
    {"mdash", 0x2014}, {"ndash", 0x2013}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C},
    {"rdquo", 0x201D}, {"bull", 0x2022},  {"middot", 0xB7},  {"laquo", 0xAB},   {"raquo", 0xBB},
    {"times", 0xD7},   {"divide", 0xF7},  {"euro", 0x20AC},  {"yen", 0xA5},     {"pound", 0xA3},
    {"cent", 0xA2},    {"deg", 0xB0},     {"plusmn", 0xB1},  {"para", 0xB6},    {"sect", 0xA7},
    {"larr", 0x2190},  {"rarr", 0x2192},  {"uarr", 0x2191},  {"darr", 0x2193},  {"zwnj", 0x200C},
    {"zwj", 0x200D},   {"shy", 0xAD},     {"ensp", 0x2002},  {"emsp", 0x2003},  {"thinsp", 0x2009},
};

// The longest character reference, "&" to ";" ("&#x10FFFF;" and the
// names of the table fit).
constexpr size_t longestReference = 12;

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool IsNameCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'_' || c == u':';
}

// Finds `what` (lower-case ASCII) in text from `from`, ignoring ASCII case.
size_t FindNoCase(const std::u16string& text, const std::u16string& what, size_t from) {
    const auto at =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                    what.begin(), what.end(), [](char16_t a, char16_t b) { return Lower(a) == b; });
    return at == text.end() ? std::u16string::npos : static_cast<size_t>(at - text.begin());
}

// Case-blind searches of one text that only move forward: each answer is
// kept until the reader passes it, so no stretch of the text is searched
// twice for the same word, however often an element repeats.
class CForwardSearch {
  public:
    explicit CForwardSearch(const std::u16string& text) : text(text) {}

    size_t Find(const std::u16string& what, size_t from) {
        auto known = std::find_if(answers.begin(), answers.end(),
                                  [&what](const Answer& answer) { return answer.what == what; });
        if (known == answers.end())
            known = answers.insert(answers.end(), Answer{what, 0, 0});
        else if (known->from <= from && from <= known->at)
            return known->at;
        known->from = from;
        known->at = FindNoCase(text, what, from);
        return known->at;
    }

  private:
    struct Answer {
        std::u16string what;
        size_t from, at; // the first match at or after `from` (npos: none)
    };
    const std::u16string& text;
    std::vector<Answer> answers;
};

struct Tag {
    std::u16string name; // lower case
    bool closing = false;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;

    std::u16string Attribute(const char16_t* attribute) const {
        for (const auto& [key, value] : attributes)
            if (key == attribute)
                return value;
        return std::u16string();
    }
};

// Reads the tag that starts with "<" at html[at]; returns the position after
// its ">" (the end of the text when it has none).
size_t ReadTag(const std::u16string& html, size_t at, Tag& tag) {
    size_t i = at + 1;
    if (i < html.size() && html[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    while (i < html.size() && IsNameCharacter(html[i]))
        tag.name += Lower(html[i++]);
    while (i < html.size() && html[i] != u'>') {
        if (IsSpace(html[i]) || html[i] == u'/') {
            ++i;
            continue;
        }
        std::u16string key, value;
        while (i < html.size() && !IsSpace(html[i]) && html[i] != u'=' && html[i] != u'>')
            key += Lower(html[i++]);
        while (i < html.size() && IsSpace(html[i]))
            ++i;
        if (i < html.size() && html[i] == u'=') {
            ++i;
            while (i < html.size() && IsSpace(html[i]))
                ++i;
            if (i < html.size() && (html[i] == u'"' || html[i] == u'\'')) {
                const char16_t quote = html[i++];
                const size_t end = std::min(html.find(quote, i), html.size());
                value = html.substr(i, end - i);
                i = end + 1;
            } else {
                while (i < html.size() && !IsSpace(html[i]) && html[i] != u'>')
                    value += html[i++];
            }
        }
        if (tag.attributes.size() < 32 && !key.empty())
            tag.attributes.emplace_back(std::move(key), DecodeHtmlEntities(value));
    }
    return std::min(i + 1, html.size());
}

// Elements whose content is never shown.
bool IsHiddenElement(const std::u16string& name) {
    return name == u"script" || name == u"style" || name == u"head" || name == u"title" ||
           name == u"template" || name == u"noscript" || name == u"object" || name == u"iframe" ||
           name == u"svg";
}

bool IsParagraphElement(const std::u16string& name) {
    return name == u"p" || name == u"ul" || name == u"ol" || name == u"table" || name == u"blockquote" ||
           name == u"pre" || name == u"dl" || name == u"center" ||
           (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6');
}

bool IsLineElement(const std::u16string& name) {
    return name == u"div" || name == u"tr" || name == u"li" || name == u"dt" || name == u"dd" ||
           name == u"address" || name == u"section" || name == u"article" || name == u"header" ||
           name == u"footer" || name == u"form" || name == u"caption";
}

// The formatter's state while it reads one document.
class CHtmlWriter {
  public:
    explicit CHtmlWriter(CRichDocument& document) : document(document) {}

    void Text(const std::u16string& raw) {
        const std::u16string text = DecodeHtmlEntities(raw);
        if (pre > 0) {
            Emit(text);
            return;
        }
        // White space collapses to one blank, which Emit writes only
        // between two words.
        std::u16string collapsed;
        bool leading = pendingSpace, trailing = false;
        for (const char16_t c : text) {
            if (IsSpace(c)) {
                (collapsed.empty() ? leading : trailing) = true;
                continue;
            }
            if (trailing)
                collapsed += u' ';
            trailing = false;
            collapsed += c;
        }
        pendingSpace = leading;
        Emit(collapsed);
        pendingSpace = pendingSpace || trailing;
    }

    void Open(const Tag& tag) {
        const std::u16string& name = tag.name;
        if (IsParagraphElement(name))
            document.EndParagraph();
        else if (IsLineElement(name))
            document.EndLine();
        if (IsParagraphElement(name) || IsLineElement(name) || name == u"br" || name == u"td" ||
            name == u"th")
            pendingSpace = false;
        if (name == u"br") {
            Emit(u"\n");
        } else if (name == u"hr") {
            document.EndLine();
            Emit(u"――――――――――――――――――――\n");
        } else if (name == u"b" || name == u"strong") {
            ++bold;
        } else if (name == u"i" || name == u"em" || name == u"cite") {
            ++italic;
        } else if (name == u"u" || name == u"ins") {
            ++underline;
        } else if (name == u"pre" || name == u"code" || name == u"tt") {
            ++pre;
        } else if (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6') {
            ++heading;
        } else if (name == u"a") {
            link = tag.Attribute(u"href");
        } else if (name == u"ul" || name == u"ol") {
            if (lists.size() < 16)
                lists.push_back(name == u"ol" ? 1 : 0);
        } else if (name == u"li") {
            const size_t depth = std::max<size_t>(lists.size(), 1);
            std::u16string marker(4 * (depth - 1), u' ');
            if (!lists.empty() && lists.back() > 0) {
                for (const char c : std::to_string(lists.back()++))
                    marker += static_cast<char16_t>(c);
                marker += u". ";
            } else {
                marker += u"• ";
            }
            Emit(marker);
        } else if (name == u"td" || name == u"th") {
            if (document.Length() > 0 && document.Last() != u'\n')
                Emit(u"\t");
            if (name == u"th")
                ++bold;
        } else if (name == u"img") {
            std::u16string label = tag.Attribute(u"alt");
            if (label.empty()) {
                label = tag.Attribute(u"src");
                label = label.substr(std::min(label.size(), label.find_last_of(u"/:") + 1));
                label = label.substr(0, label.find_first_of(u"?#"));
            }
            Emit(u"[그림: " + label + u"]");
        }
    }

    void Close(const Tag& tag) {
        const std::u16string& name = tag.name;
        const auto drop = [](int& count) { count = std::max(count - 1, 0); };
        if (name == u"b" || name == u"strong") {
            drop(bold);
        } else if (name == u"i" || name == u"em" || name == u"cite") {
            drop(italic);
        } else if (name == u"u" || name == u"ins") {
            drop(underline);
        } else if (name == u"pre" || name == u"code" || name == u"tt") {
            drop(pre);
        } else if (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6') {
            drop(heading);
        } else if (name == u"a") {
            link.clear();
        } else if (name == u"th") {
            drop(bold);
        } else if ((name == u"ul" || name == u"ol") && !lists.empty()) {
            lists.pop_back();
        }
        if (IsParagraphElement(name))
            document.EndParagraph();
        else if (IsLineElement(name))
            document.EndLine();
        if (IsParagraphElement(name) || IsLineElement(name))
            pendingSpace = false;
    }

  private:
    // Appends text in the current style, after the blank that white space
    // before it left (none at the start of a line).
    void Emit(const std::u16string& text) {
        if (text.empty())
            return;
        if (pendingSpace && document.Length() > 0 && document.Last() != u'\n' && document.Last() != u'\t' &&
            document.Last() != u' ')
            document.Append(u" ");
        pendingSpace = false;
        unsigned style = StylePlain;
        if (bold > 0)
            style |= StyleBold;
        if (italic > 0)
            style |= StyleItalic;
        if (underline > 0 || !link.empty())
            style |= StyleUnderline;
        if (heading > 0)
            style |= StyleHeading | StyleBold;
        if (pre > 0)
            style |= StyleMonospace;
        document.Append(text, style, link);
    }

    CRichDocument& document;
    int bold = 0, italic = 0, underline = 0, heading = 0, pre = 0;
    bool pendingSpace = false;
    std::u16string link;
    std::vector<int> lists; // per open list: 0 bullets, else the next number
};

} // namespace

std::u16string DecodeHtmlEntities(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // Look for the ";" no further than the longest reference, so that
        // text full of "&" costs no more than any other text.
        const size_t limit = text[i] == u'&' ? std::min(text.size(), i + longestReference + 1) : i;
        size_t semicolon = i + 1;
        while (semicolon < limit && text[semicolon] != u';' && text[semicolon] != u'&')
            ++semicolon;
        if (semicolon >= limit || text[semicolon] != u';') {
            out += text[i];
            continue;
        }
        const std::u16string name = text.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (name.size() >= 2 && name[0] == u'#') {
            const bool hex = Lower(name[1]) == u'x';
            unsigned long value = 0;
            bool digits = name.size() > (hex ? 2u : 1u);
            for (size_t k = hex ? 2 : 1; k < name.size() && digits; ++k) {
                const char16_t c = Lower(name[k]);
                const int digit = c >= u'0' && c <= u'9'          ? c - u'0'
                                  : hex && c >= u'a' && c <= u'f' ? c - u'a' + 10
                                                                  : -1;
                digits = digit >= 0;
                value = std::min<unsigned long>(value * (hex ? 16 : 10) + static_cast<unsigned long>(digit),
                                                0x110000);
            }
            if (digits) {
                AppendCodePoint(value == 0 ? 0xFFFD : static_cast<char32_t>(value), out);
                decoded = true;
            }
        } else {
            for (const NamedEntity& entity : namedEntities) {
                if (name.size() == std::char_traits<char>::length(entity.name) &&
                    std::equal(name.begin(), name.end(), entity.name)) {
                    out += entity.character;
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded)
            i = semicolon;
        else
            out += text[i];
    }
    return out;
}

void AppendHtml(const std::u16string& html, CRichDocument& document) {
    CHtmlWriter writer(document);
    CForwardSearch search(html);
    size_t at = 0;
    while (at < html.size() && !document.IsFull()) {
        const size_t open = html.find(u'<', at);
        if (open == std::u16string::npos) {
            writer.Text(html.substr(at));
            break;
        }
        if (open > at)
            writer.Text(html.substr(at, open - at));
        const char16_t next = open + 1 < html.size() ? html[open + 1] : 0;
        if (html.compare(open, 4, u"<!--") == 0) {
            const size_t end = html.find(u"-->", open + 4);
            at = end == std::u16string::npos ? html.size() : end + 3;
        } else if (next == u'!' || next == u'?') {
            at = std::min(html.find(u'>', open), html.size() - 1) + 1;
        } else if (next == u'/' || (Lower(next) >= u'a' && Lower(next) <= u'z')) {
            Tag tag;
            at = ReadTag(html, open, tag);
            if (tag.closing) {
                writer.Close(tag);
            } else if (IsHiddenElement(tag.name)) {
                // Skip to the element's end; a head without one ends at the body.
                size_t end = search.Find(u"</" + tag.name, at);
                if (end == std::u16string::npos && tag.name == u"head")
                    end = search.Find(u"<body", at);
                at = end == std::u16string::npos ? html.size()
                                                 : std::min(html.find(u'>', end), html.size() - 1) + 1;
            } else {
                writer.Open(tag);
            }
        } else {
            writer.Text(u"<");
            at = open + 1;
        }
    }
}

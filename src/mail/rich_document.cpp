#include "mail/rich_document.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsShown(char16_t c) {
    return c >= 0x20 || c == u'\n' || c == u'\t';
}

} // namespace

void CRichDocument::Append(const std::u16string& text, unsigned style, const std::u16string& link) {
    // The view shows no other control character; left in, each would shift
    // every later position of the document against the view's.
    if (!std::all_of(text.begin(), text.end(), IsShown)) {
        std::u16string shown;
        std::copy_if(text.begin(), text.end(), std::back_inserter(shown), IsShown);
        Append(shown, style, link);
        return;
    }
    if (text.empty())
        return;
    if (length + text.size() > capacity) {
        truncated = true;
        if (length >= capacity)
            return;
    }
    const size_t n = std::min(text.size(), capacity - length);
    if (runs.empty() || runs.back().style != style || runs.back().link != link)
        runs.push_back(TextRun{std::u16string(), style, link});
    runs.back().text.append(text, 0, n);
    length += n;
}

char16_t CRichDocument::Last(size_t back) const {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (back < run->text.size())
            return run->text[run->text.size() - 1 - back];
        back -= run->text.size();
    }
    return 0;
}

char16_t CRichDocument::CharacterAt(size_t at) const {
    for (const TextRun& run : runs) {
        if (at < run.text.size())
            return run.text[at];
        at -= run.text.size();
    }
    return 0;
}

void CRichDocument::EndLine() {
    if (length > 0 && Last(0) != u'\n')
        Append(u"\n");
}

void CRichDocument::EndParagraph() {
    if (length == 0)
        return;
    EndLine();
    if (Last(1) != u'\n')
        Append(u"\n");
}

std::u16string CRichDocument::PlainText() const {
    std::u16string text;
    text.reserve(length);
    for (const TextRun& run : runs)
        text += run.text;
    return text;
}

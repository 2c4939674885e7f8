#include "widgets/text_layout.h"

#include "framework/screen_dpi.h"

#include <algorithm>

void CTextLayout::Build(int width) {
    text = document.PlainText();
    runStarts.clear();
    size_t at = 0;
    for (const TextRun& run : document.Runs()) {
        runStarts.push_back(at);
        at += run.text.size();
    }
    Wrap(width);
}

size_t CTextLayout::RunIndexOf(size_t at) const {
    const auto after = std::upper_bound(runStarts.begin(), runStarts.end(), at);
    return after == runStarts.begin() ? 0 : static_cast<size_t>(after - runStarts.begin()) - 1;
}

int CTextLayout::Advance(size_t run, size_t at, int x) const {
    if (text[at] == u'\t') {
        const int tabStop = ScaleToSystemDpi(48);
        return tabStop - x % tabStop;
    }
    return fonts.Width(document.Runs()[run].style, text, at);
}

void CTextLayout::Wrap(int width) {
    rows.clear();
    height = 0;
    width = std::max(width, 1);
    size_t start = 0, breakAfter = none, run = 0;
    int x = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        while (run + 1 < runStarts.size() && runStarts[run + 1] <= at)
            ++run;
        const char16_t c = text[at];
        if (c == u'\n') {
            EndRow(start, at + 1);
            start = at + 1, breakAfter = none, x = 0;
            continue;
        }
        int advance = Advance(run, at, x);
        // Blanks may run past the edge; a row breaks after its last blank,
        // or inside a word that is wider than the row.
        if (x + advance > width && at > start && c != u' ' && !IsLowSurrogate(c)) {
            const size_t end = breakAfter != none ? breakAfter : at;
            EndRow(start, end);
            start = end, breakAfter = none, x = 0;
            for (size_t carried = end; carried < at; ++carried)
                x += Advance(RunIndexOf(carried), carried, x);
            advance = Advance(run, at, x);
        }
        if (c == u' ' || c == u'\t')
            breakAfter = at + 1;
        x += advance;
    }
    if (start < text.size() || rows.empty())
        EndRow(start, text.size());
}

void CTextLayout::EndRow(size_t start, size_t end) {
    // As high as the tallest type in it; an empty row as its paragraph end.
    int ascent = 0, descent = 0;
    const size_t runs = document.Runs().size();
    for (size_t run = RunIndexOf(start); run < runs && runStarts[run] < end; ++run) {
        const unsigned style = document.Runs()[run].style;
        ascent = std::max(ascent, fonts.Ascent(style));
        descent = std::max(descent, fonts.Descent(style));
    }
    if (runs == 0)
        ascent = fonts.Ascent(StylePlain), descent = fonts.Descent(StylePlain);
    rows.push_back(TextRow{start, height, ascent + descent, ascent});
    height += ascent + descent;
}

size_t CTextLayout::RowAt(int y) const {
    const auto after =
        std::upper_bound(rows.begin(), rows.end(), y, [](int y, const TextRow& row) { return y < row.top; });
    return after == rows.begin() ? 0 : static_cast<size_t>(after - rows.begin()) - 1;
}

size_t CTextLayout::RowOf(size_t position) const {
    const auto after =
        std::upper_bound(rows.begin(), rows.end(), position,
                         [](size_t position, const TextRow& row) { return position < row.start; });
    return after == rows.begin() ? 0 : static_cast<size_t>(after - rows.begin()) - 1;
}

size_t CTextLayout::CharacterAt(POINT point) const {
    if (point.y < 0 || point.y >= height)
        return none;
    size_t found = none;
    ForEachCharacter(RowAt(point.y), [&](size_t at, size_t, int x, int width) {
        if (found == none && !IsLowSurrogate(text[at]) && point.x >= x && point.x < x + width)
            found = at;
    });
    return found;
}

size_t CTextLayout::BoundaryAt(POINT point) const {
    if (point.y >= height)
        return text.size();
    const size_t row = RowAt(point.y);
    size_t found = none, last = rows[row].start;
    ForEachCharacter(row, [&](size_t at, size_t, int x, int width) {
        if (found == none && !IsLowSurrogate(text[at]) && point.x < x + width / 2)
            found = at;
        last = at + 1;
    });
    return found != none ? found : last;
}

POINT CTextLayout::PointOf(size_t position) const {
    const size_t row = RowOf(position);
    POINT point = {0, rows[row].top};
    ForEachCharacter(row, [&](size_t at, size_t, int x, int width) {
        if (at < position)
            point.x = x + width;
    });
    return point;
}

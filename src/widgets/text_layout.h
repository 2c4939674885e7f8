// A formatted document broken into rows that fit a width, for a control that
// draws it itself: where each row starts and how high it is, which character
// lies under a point and where a character is. Every row is found in one
// pass over the text with widths from a table (CStyleFonts), so even a mail
// of several hundred thousand characters is laid out in a few milliseconds.
// Positions are those of the document; coordinates are pixels from the top
// left of the whole text.
#pragma once

#include "mail/rich_document.h"
#include "widgets/style_fonts.h"

#include <windows.h>

#include <string>
#include <vector>

struct TextRow {
    size_t start; // first character; the row ends where the next one starts
    int top, height, ascent;
};

class CTextLayout {
  public:
    static constexpr size_t none = static_cast<size_t>(-1);

    // Lays out `document`, which outlives this, with `fonts`.
    CTextLayout(CStyleFonts& fonts, const CRichDocument& document) : fonts(fonts), document(document) {}

    // Takes the document's text in anew (after it changed) and lays it out
    // in rows of at most `width` pixels (a word longer than a row is broken
    // where it must).
    void Build(int width);
    // Lays the same text out again for another width.
    void Wrap(int width);

    // The document's text; paragraph ends are "\n".
    const std::u16string& Text() const { return text; }
    // The run of the document that holds character `at`.
    const TextRun& RunOf(size_t at) const { return document.Runs()[RunIndexOf(at)]; }
    int Height() const { return height; }
    size_t RowCount() const { return rows.size(); }
    const TextRow& Row(size_t row) const { return rows[row]; }
    // The row at height `y` (the first or last beyond the text).
    size_t RowAt(int y) const;
    // The row that holds character `position`.
    size_t RowOf(size_t position) const;
    // Where `row` ends: the next row's start, or the end of the text.
    size_t RowEnd(size_t row) const { return row + 1 < rows.size() ? rows[row + 1].start : text.size(); }

    // Calls visit(position, run, x, width) for each character of `row` but
    // its paragraph end, from left to right; `run` indexes the runs.
    template <typename Visit> void ForEachCharacter(size_t row, Visit visit) const;

    // The character whose cell holds `point`, or `none`.
    size_t CharacterAt(POINT point) const;
    // The place between characters nearest to `point`, for a selection.
    size_t BoundaryAt(POINT point) const;
    // The top left of character `position` (of the text's end for the end).
    POINT PointOf(size_t position) const;

  private:
    size_t RunIndexOf(size_t at) const;
    int Advance(size_t run, size_t at, int x) const;
    void EndRow(size_t start, size_t end);

    CStyleFonts& fonts;
    const CRichDocument& document;
    std::u16string text;
    std::vector<size_t> runStarts;
    std::vector<TextRow> rows;
    int height = 0;
};

template <typename Visit> void CTextLayout::ForEachCharacter(size_t row, Visit visit) const {
    const size_t end = RowEnd(row);
    int x = 0;
    size_t run = RunIndexOf(rows[row].start);
    for (size_t at = rows[row].start; at < end && text[at] != u'\n'; ++at) {
        while (run + 1 < runStarts.size() && runStarts[run + 1] <= at)
            ++run;
        const int width = Advance(run, at, x);
        visit(at, run, x, width);
        x += width;
    }
}

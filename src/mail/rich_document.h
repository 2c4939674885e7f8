// A small formatted-text document: runs of UTF-16 text with style flags and
// link targets, built by the message reader and the HTML formatter and
// written out by the message view. Paragraph breaks are "\n" in the text;
// tab is the only other control character it keeps.
#pragma once

#include <string>
#include <vector>

enum TextStyle : unsigned {
    StylePlain = 0,
    StyleBold = 1,
    StyleItalic = 2,
    StyleUnderline = 4,
    StyleHeading = 8, // larger type
    StyleMonospace = 16,
    StyleQuiet = 32, // grey: header lines, notes of the reader
};

struct TextRun {
    std::u16string text;
    unsigned style = StylePlain;
    std::u16string link; // target of a link, else empty
};

class CRichDocument {
  public:
    // Text beyond `capacity` characters is dropped (Truncated() tells).
    explicit CRichDocument(size_t capacity = defaultCapacity) : capacity(capacity) {}

    // Appends text in one style, joined to the last run when it has the same
    // style and link. Control characters other than newline and tab are left
    // out, so positions in the document are those of the view.
    void Append(const std::u16string& text, unsigned style = StylePlain, const std::u16string& link = {});
    // Ends the current line unless the text is empty or already ends one.
    void EndLine();
    // Leaves one empty line before what follows (none at the very start).
    void EndParagraph();

    // Text beyond the new capacity that is appended later is dropped.
    void SetCapacity(size_t characters) { capacity = characters; }

    const std::vector<TextRun>& Runs() const { return runs; }
    size_t Length() const { return length; }
    bool Truncated() const { return truncated; }
    bool IsFull() const { return length >= capacity; }
    // The character `back` places before the end (0 when there is none).
    char16_t Last(size_t back = 0) const;
    // The character at `at` (< Length()).
    char16_t CharacterAt(size_t at) const;
    // The whole text without formatting.
    std::u16string PlainText() const;

    static constexpr size_t defaultCapacity = 4u << 20;

  private:
    std::vector<TextRun> runs;
    size_t length = 0;
    size_t capacity;
    bool truncated = false;
};

// The fonts of the message body, one per combination of text styles, and the
// advance of every character in each. Widths are read from the font once per
// block of 16 characters and kept, so laying out a long mail costs a table
// look-up per character instead of a call into the font engine. Characters a
// font lacks are measured and drawn in the font the system falls back to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The second half of a surrogate pair: no width and no place of its own.
inline bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

class CStyleFonts {
  public:
    CStyleFonts();
    ~CStyleFonts();
    CStyleFonts(const CStyleFonts&) = delete;
    CStyleFonts& operator=(const CStyleFonts&) = delete;

    // Pixels above and below the baseline in the font of `style`.
    int Ascent(unsigned style);
    int Descent(unsigned style);
    // The advance of character `at` of `text` in `style`: a surrogate pair's
    // whole width on its first half, none on its second.
    int Width(unsigned style, const std::u16string& text, size_t at);
    // Draws `n` characters in `style` on `dc` from `baseline` on (in the DC's
    // text colour, over what is there).
    void Draw(HDC dc, unsigned style, POINT baseline, const char16_t* text, size_t n);

  private:
    struct Face {
        HFONT font = nullptr;
        int ascent = 0, descent = 0;
        std::vector<int16_t> widths; // per character of the basic plane; -1 until read
        std::vector<bool> lacking;   // characters of the basic plane the font has no glyph for
        std::unordered_map<char32_t, int> pairWidths;
    };
    Face& FaceOf(unsigned style);
    // The width of `n` characters shaped with font fallback.
    int ShapedWidth(Face& face, const char16_t* text, size_t n);

    HDC measure; // a memory DC that measures with each face in turn
    HGDIOBJ originalFont;
    std::vector<Face> faces;
};

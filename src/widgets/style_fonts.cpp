#include "widgets/style_fonts.h"

#include "framework/screen_dpi.h"
#include "mail/rich_document.h"

#include <usp10.h>

#include <algorithm>
#include <cstring>

namespace {

// The style flags that change the typeface; the others only colour it.
constexpr unsigned typeStyles = StyleBold | StyleItalic | StyleUnderline | StyleHeading | StyleMonospace;
constexpr size_t blockSize = 16;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

// Shapes `n` characters in the font selected into `dc`, taking glyphs the
// font lacks from another font as the system would (emoji, rare letters);
// null when that fails.
SCRIPT_STRING_ANALYSIS Shape(HDC dc, const char16_t* text, size_t n) {
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const int length = static_cast<int>(n);
    if (FAILED(ScriptStringAnalyse(dc, text, length, length * 3 / 2 + 16, -1, SSA_GLYPHS | SSA_FALLBACK, 0,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, &analysis)))
        return nullptr;
    return analysis;
}

} // namespace

CStyleFonts::CStyleFonts() : measure(CreateCompatibleDC(nullptr)), faces(typeStyles + 1) {
    originalFont = GetCurrentObject(measure, OBJ_FONT);
}

CStyleFonts::~CStyleFonts() {
    SelectObject(measure, originalFont);
    DeleteDC(measure);
    for (Face& face : faces)
        if (face.font)
            DeleteObject(face.font);
}

CStyleFonts::Face& CStyleFonts::FaceOf(unsigned style) {
    Face& face = faces[style & typeStyles];
    if (face.font)
        return face;
    LOGFONTW font = {};
    const int points = style & StyleHeading ? 13 : 9;
    font.lfHeight = -MulDiv(points, SystemDpi(), 72);
    font.lfWeight = style & StyleBold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & StyleItalic) != 0;
    font.lfUnderline = (style & StyleUnderline) != 0;
    font.lfCharSet = HANGEUL_CHARSET;
    font.lfPitchAndFamily = style & StyleMonospace ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
    const std::u16string name = style & StyleMonospace ? u"굴림체" : u"굴림";
    std::memcpy(font.lfFaceName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    face.font = CreateFontIndirectW(&font);
    SelectObject(measure, face.font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(measure, &metrics);
    face.ascent = metrics.tmAscent;
    face.descent = metrics.tmDescent;
    face.widths.assign(0x10000, -1);
    face.lacking.assign(0x10000, false);
    return face;
}

int CStyleFonts::Ascent(unsigned style) {
    return FaceOf(style).ascent;
}

int CStyleFonts::Descent(unsigned style) {
    return FaceOf(style).descent;
}

int CStyleFonts::Width(unsigned style, const std::u16string& text, size_t at) {
    Face& face = FaceOf(style);
    const char16_t c = text[at];
    if (IsHighSurrogate(c) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
        const char32_t code = 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
        auto known = face.pairWidths.find(code);
        if (known != face.pairWidths.end())
            return known->second;
        return face.pairWidths[code] = ShapedWidth(face, &text[at], 2);
    }
    if (IsLowSurrogate(c))
        return 0;
    if (face.widths[c] < 0) {
        const UINT first = c - c % blockSize;
        INT widths[blockSize] = {};
        WORD glyphs[blockSize] = {};
        wchar_t characters[blockSize];
        for (size_t i = 0; i < blockSize; ++i)
            characters[i] = static_cast<wchar_t>(first + i);
        SelectObject(measure, face.font);
        GetCharWidth32W(measure, first, first + blockSize - 1, widths);
        GetGlyphIndicesW(measure, characters, blockSize, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
        for (size_t i = 0; i < blockSize; ++i) {
            const char16_t character = static_cast<char16_t>(first + i);
            const bool missing = glyphs[i] == 0xFFFF && character >= 0x20 && !IsHighSurrogate(character) &&
                                 !IsLowSurrogate(character);
            face.widths[first + i] =
                static_cast<int16_t>(missing ? ShapedWidth(face, &character, 1) : widths[i]);
            face.lacking[first + i] = missing;
        }
    }
    return face.widths[c];
}

int CStyleFonts::ShapedWidth(Face& face, const char16_t* text, size_t n) {
    SelectObject(measure, face.font);
    SCRIPT_STRING_ANALYSIS analysis = Shape(measure, text, n);
    SIZE size = {};
    if (analysis) {
        size = *ScriptString_pSize(analysis);
        ScriptStringFree(&analysis);
    } else {
        GetTextExtentPoint32W(measure, reinterpret_cast<const wchar_t*>(text), static_cast<int>(n), &size);
    }
    return size.cx;
}

void CStyleFonts::Draw(HDC dc, unsigned style, POINT baseline, const char16_t* text, size_t n) {
    // Drawn from the top, as a fallback font has an ascent of its own. Text
    // the font has glyphs for goes straight to GDI, which is much faster.
    Face& face = FaceOf(style);
    SelectObject(dc, face.font);
    const int x = baseline.x, y = baseline.y - face.ascent;
    const bool fallback = std::any_of(text, text + n, [&face](char16_t c) {
        return IsHighSurrogate(c) || (face.widths[c] >= 0 && face.lacking[c]);
    });
    SCRIPT_STRING_ANALYSIS analysis = fallback ? Shape(dc, text, n) : nullptr;
    if (analysis) {
        ScriptStringOut(analysis, x, y, 0, nullptr, 0, 0, FALSE);
        ScriptStringFree(&analysis);
    } else {
        ExtTextOutW(dc, x, y, 0, nullptr, reinterpret_cast<const wchar_t*>(text), static_cast<UINT>(n),
                    nullptr);
    }
}

#include "widgets/style_fonts.h"

#include "framework/screen_dpi.h"
#include "mail/rich_document.h"

#include <cstring>

namespace {

// The style flags that change the typeface; the others only colour it.
constexpr unsigned typeStyles = StyleBold | StyleItalic | StyleUnderline | StyleHeading | StyleMonospace;
constexpr size_t blockSize = 16;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
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
    return face;
}

HFONT CStyleFonts::Font(unsigned style) {
    return FaceOf(style).font;
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
        SelectObject(measure, face.font);
        SIZE size = {};
        GetTextExtentPoint32W(measure, reinterpret_cast<const wchar_t*>(&text[at]), 2, &size);
        return face.pairWidths[code] = size.cx;
    }
    if (IsLowSurrogate(c))
        return 0;
    if (face.widths[c] < 0) {
        const UINT first = c - c % blockSize;
        INT widths[blockSize] = {};
        SelectObject(measure, face.font);
        GetCharWidth32W(measure, first, first + blockSize - 1, widths);
        for (size_t i = 0; i < blockSize; ++i)
            face.widths[first + i] = static_cast<int16_t>(widths[i]);
    }
    return face.widths[c];
}

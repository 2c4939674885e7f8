#include "mail/charset.h"

#include "base/ascii_text.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace {

constexpr char16_t replacementCharacter = 0xFFFD;

// Charsets decoded here rather than by the platform.
enum class OwnDecoder { None, Ascii, Utf8, Iso2022Kr };

struct CharsetName {
    const char* name;  // lower case
    unsigned codePage; // Windows code page
    const char* iconvName;
    OwnDecoder own;
};

// The names mail uses, with the Windows code page and the iconv name of each.
constexpr CharsetName charsetNames[] = {
    {"us-ascii", 20127, "ASCII", OwnDecoder::Ascii},
    {"ascii", 20127, "ASCII", OwnDecoder::Ascii},
    {"ansi_x3.4-1968", 20127, "ASCII", OwnDecoder::Ascii},
    {"utf-8", 65001, "UTF-8", OwnDecoder::Utf8},
    {"utf8", 65001, "UTF-8", OwnDecoder::Utf8},
    {"iso-2022-kr", 949, "CP949", OwnDecoder::Iso2022Kr},
    {"csiso2022kr", 949, "CP949", OwnDecoder::Iso2022Kr},
    {"euc-kr", 949, "CP949", OwnDecoder::None},
    {"cseuckr", 949, "CP949", OwnDecoder::None},
    {"ks_c_5601-1987", 949, "CP949", OwnDecoder::None},
    {"ks_c_5601-1989", 949, "CP949", OwnDecoder::None},
    {"ks_c_5601", 949, "CP949", OwnDecoder::None},
    {"ksc5601", 949, "CP949", OwnDecoder::None},
    {"csksc56011987", 949, "CP949", OwnDecoder::None},
    {"korean", 949, "CP949", OwnDecoder::None},
    {"cp949", 949, "CP949", OwnDecoder::None},
    {"uhc", 949, "CP949", OwnDecoder::None},
    {"ms949", 949, "CP949", OwnDecoder::None},
    {"windows-949", 949, "CP949", OwnDecoder::None},
    {"x-windows-949", 949, "CP949", OwnDecoder::None},
    {"iso-8859-1", 28591, "ISO-8859-1", OwnDecoder::None},
    {"latin1", 28591, "ISO-8859-1", OwnDecoder::None},
    {"iso-8859-2", 28592, "ISO-8859-2", OwnDecoder::None},
    {"iso-8859-3", 28593, "ISO-8859-3", OwnDecoder::None},
    {"iso-8859-4", 28594, "ISO-8859-4", OwnDecoder::None},
    {"iso-8859-5", 28595, "ISO-8859-5", OwnDecoder::None},
    {"iso-8859-6", 28596, "ISO-8859-6", OwnDecoder::None},
    {"iso-8859-7", 28597, "ISO-8859-7", OwnDecoder::None},
    {"iso-8859-8", 28598, "ISO-8859-8", OwnDecoder::None},
    {"iso-8859-8-i", 28598, "ISO-8859-8", OwnDecoder::None},
    {"iso-8859-9", 28599, "ISO-8859-9", OwnDecoder::None},
    {"iso-8859-11", 874, "CP874", OwnDecoder::None},
    {"iso-8859-13", 28603, "ISO-8859-13", OwnDecoder::None},
    {"iso-8859-15", 28605, "ISO-8859-15", OwnDecoder::None},
    {"windows-1250", 1250, "CP1250", OwnDecoder::None},
    {"windows-1251", 1251, "CP1251", OwnDecoder::None},
    {"windows-1252", 1252, "CP1252", OwnDecoder::None},
    {"windows-1253", 1253, "CP1253", OwnDecoder::None},
    {"windows-1254", 1254, "CP1254", OwnDecoder::None},
    {"windows-1255", 1255, "CP1255", OwnDecoder::None},
    {"windows-1256", 1256, "CP1256", OwnDecoder::None},
    {"windows-1257", 1257, "CP1257", OwnDecoder::None},
    {"windows-1258", 1258, "CP1258", OwnDecoder::None},
    {"windows-874", 874, "CP874", OwnDecoder::None},
    {"tis-620", 874, "CP874", OwnDecoder::None},
    {"koi8-r", 20866, "KOI8-R", OwnDecoder::None},
    {"koi8-u", 21866, "KOI8-U", OwnDecoder::None},
    {"shift_jis", 932, "CP932", OwnDecoder::None},
    {"euc-jp", 20932, "EUC-JP", OwnDecoder::None},
    {"iso-2022-jp", 50220, "ISO-2022-JP", OwnDecoder::None},
    {"gb2312", 936, "CP936", OwnDecoder::None},
    {"gbk", 936, "CP936", OwnDecoder::None},
    {"gb18030", 54936, "GB18030", OwnDecoder::None},
    {"big5", 950, "CP950", OwnDecoder::None},
};

// The lower-case name without an RFC 2231 language ("utf-8*ko") or blanks.
std::string NormalName(const std::string& charset) {
    std::string name = AsciiLower(TrimWhiteSpace(charset.substr(0, charset.find('*'))));
    // "iso8859-1" and "iso_8859-1" are common spellings of "iso-8859-1",
    // "cp1252" of "windows-1252".
    if (name.compare(0, 7, "iso8859") == 0 || name.compare(0, 8, "iso_8859") == 0)
        name = "iso-8859" + name.substr(name[3] == '_' ? 8 : 7);
    if (name.size() == 6 && name.compare(0, 4, "cp12") == 0)
        name = "windows-" + name.substr(2);
    return name;
}

const CharsetName* FindCharset(const std::string& name) {
    for (const CharsetName& entry : charsetNames)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

// The length of the well-formed UTF-8 sequence at bytes[at], 0 when there is
// none; its value in `c`.
size_t Utf8Sequence(const std::string& bytes, size_t at, char32_t& c) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    size_t length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, c = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

void DecodeUtf8(const std::string& bytes, std::u16string& out) {
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        char32_t c;
        const size_t length = Utf8Sequence(bytes, at, c);
        AppendCodePoint(length ? c : replacementCharacter, out);
        at += length ? length : 1;
    }
}

void DecodeAscii(const std::string& bytes, std::u16string& out) {
    out.reserve(bytes.size());
    for (const char b : bytes)
        out += static_cast<unsigned char>(b) < 0x80 ? static_cast<char16_t>(b) : replacementCharacter;
}

// ISO-2022-KR (RFC 1557): after the designation "ESC $ ) C", SO switches to
// KS X 1001 in 7-bit form and SI back to ASCII. The shifted pairs are
// EUC-KR with the high bits cleared.
std::string Iso2022KrToEucKr(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    bool shifted = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char b = bytes[i];
        if (b == '\x1B' && bytes.compare(i, 4, "\x1B$)C") == 0) {
            i += 3;
        } else if (b == '\x0E') {
            shifted = true;
        } else if (b == '\x0F' || b == '\n' || b == '\r') {
            shifted = false; // a line ends in ASCII
            if (b != '\x0F')
                out += b;
        } else if (shifted && b > 0x20 && b < 0x7F) {
            out += static_cast<char>(b | 0x80);
        } else {
            out += b;
        }
    }
    return out;
}

#ifdef _WIN32

// Names the table lacks: "cpNNN", "windows-NNN", "ibmNNN" and "x-cpNNN" name
// code page NNN when Windows has it.
unsigned NumberedCodePage(const std::string& name) {
    for (const char* prefix : {"windows-", "x-cp", "cp", "ibm"}) {
        const size_t length = std::strlen(prefix);
        if (name.compare(0, length, prefix) == 0 && name.size() > length &&
            name.find_first_not_of("0123456789", length) == std::string::npos && name.size() - length <= 5) {
            const unsigned codePage = static_cast<unsigned>(DecimalValue(name.substr(length)));
            return IsValidCodePage(codePage) ? codePage : 0;
        }
    }
    return 0;
}

struct Converter {
    unsigned codePage = 0;
    explicit Converter(const std::string& name) {
        const CharsetName* entry = FindCharset(name);
        codePage = entry ? entry->codePage : NumberedCodePage(name);
        if (codePage && !IsValidCodePage(codePage))
            codePage = 0;
    }
    bool IsOpen() const { return codePage != 0; }
    void Decode(const std::string& bytes, std::u16string& out) const {
        if (bytes.empty())
            return;
        // One call per few megabytes keeps the int lengths of the API safe.
        constexpr size_t chunk = 1u << 22;
        for (size_t at = 0; at < bytes.size();) {
            size_t n = std::min(chunk, bytes.size() - at);
            // Do not split a double-byte character between two calls.
            while (n < bytes.size() - at && n > 1 &&
                   IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at + n - 1])))
                --n;
            const int length =
                MultiByteToWideChar(codePage, 0, bytes.data() + at, static_cast<int>(n), nullptr, 0);
            const size_t old = out.size();
            out.resize(old + static_cast<size_t>(length));
            MultiByteToWideChar(codePage, 0, bytes.data() + at, static_cast<int>(n),
                                reinterpret_cast<wchar_t*>(&out[old]), length);
            at += n;
        }
    }
};

std::string EncodeCp949(const std::u16string& text) {
    // One "?" per missing character: a surrogate pair (never in code page
    // 949) is replaced before the call, which would give one per half.
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        units += c >= 0xD800 && c <= 0xDFFF ? u'?' : c;
    }
    if (units.empty())
        return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int size = static_cast<int>(units.size());
    const int length = WideCharToMultiByte(949, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(949, WC_NO_BEST_FIT_CHARS, wide, size, &out[0], length, "?", nullptr);
    return out;
}

#else

// Runs `bytes` through `handle`. Where the source holds a sequence it cannot
// read or the target lacks a character, `substitute(at, left, out)` appends a
// stand-in and tells how many input bytes to pass over.
template <typename Substitute>
std::string ConvertAll(iconv_t handle, std::string bytes, Substitute substitute) {
    std::string out;
    char* in = &bytes[0];
    size_t inLeft = bytes.size();
    char buffer[8192];
    while (inLeft > 0) {
        char* outAt = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t result = iconv(handle, &in, &inLeft, &outAt, &outLeft);
        out.append(buffer, static_cast<size_t>(outAt - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            const size_t skip = std::min(substitute(in, inLeft, out), inLeft);
            in += skip, inLeft -= skip;
            iconv(handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

char16_t UnitAt(const char* at) {
    return static_cast<char16_t>(static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8);
}

struct Converter {
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    explicit Converter(const std::string& name) {
        const CharsetName* entry = FindCharset(name);
        handle = iconv_open("UTF-16LE", entry ? entry->iconvName : name.c_str());
    }
    ~Converter() {
        if (IsOpen())
            iconv_close(handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool IsOpen() const { return handle != reinterpret_cast<iconv_t>(-1); }
    void Decode(const std::string& bytes, std::u16string& out) const {
        // An invalid or truncated sequence: one replacement, and on from the
        // next byte.
        const std::string units = ConvertAll(handle, bytes, [](const char*, size_t, std::string& converted) {
            converted += static_cast<char>(replacementCharacter & 0xFF);
            converted += static_cast<char>(replacementCharacter >> 8);
            return size_t{1};
        });
        for (size_t k = 0; k + 1 < units.size(); k += 2)
            out += UnitAt(&units[k]);
    }
};

std::string EncodeCp949(const std::u16string& text) {
    iconv_t handle = iconv_open("CP949", "UTF-16LE");
    if (handle == reinterpret_cast<iconv_t>(-1))
        return std::string();
    std::string units;
    units.reserve(text.size() * 2);
    for (const char16_t c : text) {
        units += static_cast<char>(c & 0xFF);
        units += static_cast<char>(c >> 8);
    }
    // A character code page 949 lacks: "?" for it whole (both halves of a
    // surrogate pair).
    std::string out = ConvertAll(handle, units, [](const char* at, size_t left, std::string& converted) {
        const char16_t c = UnitAt(at);
        const bool pair = c >= 0xD800 && c <= 0xDBFF && left >= 4 && (UnitAt(at + 2) & 0xFC00) == 0xDC00;
        converted += '?';
        return size_t{pair ? 4u : 2u};
    });
    iconv_close(handle);
    return out;
}

#endif

} // namespace

bool IsKnownCharset(const std::string& charset) {
    const std::string name = NormalName(charset);
    return !name.empty() && (FindCharset(name) || Converter(name).IsOpen());
}

bool IsCp949Charset(const std::string& charset) {
    const CharsetName* entry = FindCharset(NormalName(charset));
    return entry && entry->codePage == 949 && entry->own == OwnDecoder::None;
}

bool DecodeCharset(const std::string& charset, const std::string& bytes, std::u16string& text) {
    text.clear();
    const std::string name = NormalName(charset);
    const CharsetName* entry = FindCharset(name);
    const OwnDecoder own = entry ? entry->own : OwnDecoder::None;
    if (own == OwnDecoder::Utf8) {
        DecodeUtf8(bytes, text);
        return true;
    }
    if (own == OwnDecoder::Ascii) {
        DecodeAscii(bytes, text);
        return true;
    }
    if (name.empty())
        return false;
    const Converter converter(name);
    if (!converter.IsOpen())
        return false;
    converter.Decode(own == OwnDecoder::Iso2022Kr ? Iso2022KrToEucKr(bytes) : bytes, text);
    return true;
}

std::string Utf16ToCp949(const std::u16string& text) {
    return EncodeCp949(text);
}

std::u16string Cp949ToUtf16(const std::string& text) {
    std::u16string out;
    DecodeCharset("cp949", text, out);
    return out;
}

void AppendCodePoint(char32_t c, std::u16string& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

bool IsValidUtf8(const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        char32_t c;
        const size_t length = Utf8Sequence(bytes, at, c);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace tbx {

TextEncoding CreateTextEncoding(TextEncodingBase base, TextEncodingVariant variant,
                                TextEncodingFormat format) {
    return (base & 0xFFFFu) | ((variant & 0x3FFu) << 16) | ((format & 0x3Fu) << 26);
}

namespace text {
namespace {

// Bytes 0x80-0xFF, as the system's iconv maps its MACINTOSH character set.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x0394, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xE01E, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
bool IsScalar(char32_t c) {
    return c <= 0x10FFFF && !IsSurrogate(c);
}

// Encodings handled by the system's iconv, by name.
const char* IconvName(CFStringEncoding encoding) {
    switch (encoding) {
    case kCFStringEncodingShiftJIS:
        return "SHIFT_JIS";
    case kCFStringEncodingMacJapanese:
        return "CP932";
    case kCFStringEncodingWindowsLatin1:
        return "CP1252";
    default:
        return nullptr;
    }
}

bool IconvConvert(const char* to, const char* from, const char* in, std::size_t size,
                  std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    char buffer[1024];
    char* source = const_cast<char*>(in);
    std::size_t left = size;
    bool ok = true;
    while (left > 0) {
        char* target = buffer;
        std::size_t room = sizeof buffer;
        std::size_t result = iconv(cd, &source, &left, &target, &room);
        out.append(buffer, target - buffer);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
        // iconv converts some characters it cannot represent instead of failing; a
        // non-zero count of irreversible conversions means the text was not kept.
        if (result != static_cast<std::size_t>(-1) && result > 0) {
            ok = false;
            break;
        }
    }
    if (ok) {
        char* target = buffer;
        std::size_t room = sizeof buffer;
        iconv(cd, nullptr, nullptr, &target, &room);
        out.append(buffer, target - buffer);
    }
    iconv_close(cd);
    return ok;
}

uint32_t ReadUnit(const uint8_t* p, int width, bool bigEndian) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        value |= uint32_t(p[i]) << shift;
    }
    return value;
}

void WriteUnit(std::string& out, uint32_t value, int width, bool bigEndian) {
    for (int i = 0; i < width; ++i) {
        int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

struct UnicodeForm {
    int width;      // 2 or 4 bytes per unit
    bool bigEndian; // byte order when no mark says otherwise
};

bool UnicodeFormOf(CFStringEncoding encoding, UnicodeForm& form) {
    switch (encoding) {
    case kCFStringEncodingUTF16:
        form = {2, false};
        return true;
    case kCFStringEncodingUTF16LE:
        form = {2, false};
        return true;
    case kCFStringEncodingUTF16BE:
        form = {2, true};
        return true;
    case kCFStringEncodingUTF32:
        form = {4, false};
        return true;
    case kCFStringEncodingUTF32LE:
        form = {4, false};
        return true;
    case kCFStringEncodingUTF32BE:
        form = {4, true};
        return true;
    default:
        return false;
    }
}

} // namespace

char16_t MacRomanToUnicode(uint8_t byte) {
    return byte < 0x80 ? char16_t(byte) : kMacRomanHigh[byte - 0x80];
}

int UnicodeToMacRoman(char32_t c) {
    if (c < 0x80)
        return static_cast<int>(c);
    for (int i = 0; i < 128; ++i)
        if (kMacRomanHigh[i] == c)
            return 0x80 + i;
    return -1;
}

int DecodeUtf8Sequence(const uint8_t* p, std::size_t left, char32_t& value) {
    if (left == 0)
        return 0;
    const uint8_t b0 = p[0];
    auto cont = [&](std::size_t i, uint8_t lo = 0x80, uint8_t hi = 0xBF) {
        return i < left && p[i] >= lo && p[i] <= hi;
    };
    if (b0 < 0x80) {
        value = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (!cont(1))
            return 0;
        value = ((b0 & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const uint8_t lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const uint8_t hi = b0 == 0xED ? 0x9F : 0xBF;
        if (!cont(1, lo, hi) || !cont(2))
            return 0;
        value = ((b0 & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const uint8_t lo = b0 == 0xF0 ? 0x90 : 0x80;
        const uint8_t hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (!cont(1, lo, hi) || !cont(2) || !cont(3))
            return 0;
        value =
            ((b0 & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (IsByteEscape(c)) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    if (!IsScalar(c))
        c = 0xFFFD;
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (!IsScalar(c))
        c = 0xFFFD;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendUtf8Escaped(std::string& out, char32_t c) {
    if (IsByteEscape(c))
        out.push_back(static_cast<char>(c - 0xDC00));
    else
        AppendUtf8(out, c);
}

std::u32string Utf16ToUtf32(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsSurrogate(c) && !IsByteEscape(c)) {
            c = 0xFFFD;
        }
        out.push_back(c);
    }
    return out;
}

std::u16string Utf32ToUtf16(std::u32string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char32_t c : text)
        AppendUtf16(out, c);
    return out;
}

std::u32string Utf8ToUtf32Escaped(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int n = DecodeUtf8Sequence(p + i, bytes.size() - i, c);
        out.push_back(n ? c : EscapeByte(p[i]));
        i += n ? static_cast<std::size_t>(n) : 1;
    }
    return out;
}

std::u16string Utf8ToUtf16Escaped(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char32_t c : Utf8ToUtf32Escaped(bytes))
        AppendUtf16(out, c);
    return out;
}

std::string Utf32ToUtf8Escaped(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : text)
        AppendUtf8Escaped(out, c);
    return out;
}

std::string Utf16ToUtf8Escaped(std::u16string_view text) {
    return Utf32ToUtf8Escaped(Utf16ToUtf32(text));
}

bool Utf8ToUtf16(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const int n = DecodeUtf8Sequence(p + i, text.size() - i, c);
        if (n == 0)
            return false;
        AppendUtf16(out, c);
        i += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : Utf16ToUtf32(text))
        AppendUtf8(out, c);
    return out;
}

bool Decode(const uint8_t* bytes, std::size_t size, CFStringEncoding encoding, bool external,
            std::u16string& out) {
    out.clear();
    if (size > 0 && !bytes)
        return false;
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        out.reserve(size);
        for (std::size_t i = 0; i < size; ++i)
            out.push_back(MacRomanToUnicode(bytes[i]));
        return true;
    case kCFStringEncodingASCII:
        for (std::size_t i = 0; i < size; ++i) {
            if (bytes[i] >= 0x80)
                return false;
            out.push_back(bytes[i]);
        }
        return true;
    case kCFStringEncodingISOLatin1:
        for (std::size_t i = 0; i < size; ++i)
            out.push_back(bytes[i]);
        return true;
    case kCFStringEncodingUTF8: {
        std::string_view view(reinterpret_cast<const char*>(bytes), size);
        if (external && view.size() >= 3 && view.substr(0, 3) == "\xEF\xBB\xBF")
            view.remove_prefix(3);
        return Utf8ToUtf16(view, out);
    }
    default:
        break;
    }
    UnicodeForm form;
    if (UnicodeFormOf(encoding, form)) {
        const int width = form.width;
        if (size % width != 0)
            return false;
        std::size_t start = 0;
        bool bigEndian = form.bigEndian;
        if (external && size >= static_cast<std::size_t>(width)) {
            uint32_t mark = ReadUnit(bytes, width, false);
            if (mark == 0xFEFF) {
                bigEndian = false;
                start = width;
            } else if ((width == 2 && mark == 0xFFFE) || (width == 4 && mark == 0xFFFE0000u)) {
                bigEndian = true;
                start = width;
            }
        }
        out.reserve((size - start) / width);
        for (std::size_t i = start; i < size; i += width) {
            uint32_t unit = ReadUnit(bytes + i, width, bigEndian);
            if (width == 2)
                out.push_back(static_cast<char16_t>(unit));
            else
                AppendUtf16(out, unit);
        }
        return true;
    }
    if (const char* name = IconvName(encoding)) {
        std::string utf8;
        if (!IconvConvert("UTF-8", name, reinterpret_cast<const char*>(bytes), size, utf8))
            return false;
        return Utf8ToUtf16(utf8, out);
    }
    return false;
}

bool Encode(std::u16string_view text, CFStringEncoding encoding, std::string& out) {
    out.clear();
    switch (encoding) {
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingASCII:
    case kCFStringEncodingISOLatin1:
        for (char32_t c : Utf16ToUtf32(text)) {
            int byte;
            if (encoding == kCFStringEncodingMacRoman)
                byte = UnicodeToMacRoman(c);
            else
                byte = c < (encoding == kCFStringEncodingASCII ? 0x80u : 0x100u)
                           ? static_cast<int>(c)
                           : -1;
            if (byte < 0)
                return false;
            out.push_back(static_cast<char>(byte));
        }
        return true;
    case kCFStringEncodingUTF8:
        out = Utf16ToUtf8(text);
        return true;
    default:
        break;
    }
    UnicodeForm form;
    if (UnicodeFormOf(encoding, form)) {
        if (form.width == 2) {
            for (char16_t unit : text)
                WriteUnit(out, unit, 2, form.bigEndian);
        } else {
            for (char32_t c : Utf16ToUtf32(text))
                WriteUnit(out, c, 4, form.bigEndian);
        }
        return true;
    }
    if (const char* name = IconvName(encoding)) {
        std::string utf8 = Utf16ToUtf8(text);
        return IconvConvert(name, "UTF-8", utf8.data(), utf8.size(), out);
    }
    return false;
}

} // namespace text
} // namespace tbx

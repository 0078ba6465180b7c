// Text encodings of the toolbox and the conversions between them and UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace tbx {

using CFStringEncoding = uint32_t;
using TextEncoding = uint32_t;
using TextEncodingBase = uint32_t;
using TextEncodingVariant = uint32_t;
using TextEncodingFormat = uint32_t;

enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingMacJapanese = 1,
    kCFStringEncodingUnicode = 0x0100,
    kCFStringEncodingUTF16 = 0x0100,
    kCFStringEncodingISOLatin1 = 0x0201,
    kCFStringEncodingWindowsLatin1 = 0x0500,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingShiftJIS = 0x0A01,
    kCFStringEncodingUTF8 = 0x08000100,
    kCFStringEncodingUTF32 = 0x0C000100,
    kCFStringEncodingUTF16BE = 0x10000100,
    kCFStringEncodingUTF16LE = 0x14000100,
    kCFStringEncodingUTF32BE = 0x18000100,
    kCFStringEncodingUTF32LE = 0x1C000100,
    kCFStringEncodingInvalidId = 0xFFFFFFFFu,
};

enum : uint32_t {
    kTextEncodingMacRoman = 0,
    kTextEncodingUnicodeDefault = 0x0100,
    kTextEncodingUnicodeV2_0 = 0x0103,
    kTextEncodingDefaultVariant = 0,
    kUnicodeDefaultFormat = 0,
    kUnicode16BitFormat = 0,
    kUnicodeUTF8Format = 2,
    kUnicodeUTF32Format = 3,
    kUnicodeUTF16BEFormat = 4,
    kUnicodeUTF16LEFormat = 5,
    kUnicodeUTF32BEFormat = 6,
    kUnicodeUTF32LEFormat = 7,
};

// Base in bits 0-15, variant in bits 16-25, format in bits 26-31. A Unicode encoding built
// this way equals the CFStringEncoding of the same form.
TextEncoding CreateTextEncoding(TextEncodingBase base, TextEncodingVariant variant,
                                TextEncodingFormat format);

namespace text {

// Decodes bytes of the encoding into UTF-16. False when the bytes are not text in that
// encoding or the encoding is unknown. With `external`, a leading byte-order mark of a
// Unicode form decides the byte order and is dropped.
bool Decode(const uint8_t* bytes, std::size_t size, CFStringEncoding encoding, bool external,
            std::u16string& out);

// Encodes UTF-16 into the encoding. False when a character has no form in it (nothing is
// replaced) or the encoding is unknown.
bool Encode(std::u16string_view text, CFStringEncoding encoding, std::string& out);

// Mac Roman, one byte each way; -1 for a character that Mac Roman lacks.
char16_t MacRomanToUnicode(uint8_t byte);
int UnicodeToMacRoman(char32_t c);

// Byte escapes: a byte of 0x80 or above that is not part of well-formed UTF-8 (a file name
// from a Latin-1 volume, a damaged text) is carried as the lone surrogate U+DC00+byte, which
// UTF-8 never yields, so that every byte string widens and narrows back to the same bytes.
constexpr bool IsByteEscape(char32_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}
constexpr char32_t EscapeByte(uint8_t byte) {
    return 0xDC00 + byte;
}

// The length of the well-formed UTF-8 sequence at `p` (strict: no overlong forms,
// surrogates or values above U+10FFFF; at most `left` bytes read), its value in `value`;
// 0 when the bytes there are not one.
int DecodeUtf8Sequence(const uint8_t* p, std::size_t left, char32_t& value);

// Code points: anything that is not a Unicode scalar value becomes U+FFFD, except that
// UTF-16 carries byte escapes as they are.
void AppendUtf16(std::u16string& out, char32_t c);
void AppendUtf8(std::string& out, char32_t c);
// As AppendUtf8, but a byte escape becomes its byte again.
void AppendUtf8Escaped(std::string& out, char32_t c);
// Joins surrogate pairs; an unpaired surrogate becomes U+FFFD unless it is a byte escape.
std::u32string Utf16ToUtf32(std::u16string_view text);
std::u16string Utf32ToUtf16(std::u32string_view text);
// Strict UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool Utf8ToUtf16(std::string_view text, std::u16string& out);
std::string Utf16ToUtf8(std::u16string_view text);
// Any bytes: what is not well-formed UTF-8 becomes byte escapes. The Escaped pairs are
// inverse to each other for every byte string.
std::u32string Utf8ToUtf32Escaped(std::string_view bytes);
std::u16string Utf8ToUtf16Escaped(std::string_view bytes);
std::string Utf32ToUtf8Escaped(std::u32string_view text);
std::string Utf16ToUtf8Escaped(std::u16string_view text);

} // namespace text
} // namespace tbx

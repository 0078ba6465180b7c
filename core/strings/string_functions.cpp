#include "core/strings/string_functions.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <locale.h>
#include <string_view>
#include <vector>

#include "core/strings/cf_string.h"
#include "core/strings/format.h"
#include "core/strings/locale.h"
#include "core/strings/string.h"
#include "core/strings/wide_text.h"
#include "platform/bundle.h"
#include "platform/text_encoding.h"

namespace {

// A Unicode-aware character locale for case mapping, independent of the process locale.
locale_t CaseLocale() {
    static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

const wchar_t* SkipSpace(const wchar_t* text) {
    while (*text && BK_IsWhiteSpace(*text))
        ++text;
    return text;
}

// strtol as a 32-bit long saw it: saturating at the 32-bit limits.
int32_t ParseSigned32(const wchar_t* text, int base) {
    if (!text)
        return 0;
    const long long value = std::wcstoll(text, nullptr, base);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// strtoul as a 32-bit unsigned long saw it: a leading minus negates modulo 2^32, and a
// magnitude beyond 32 bits saturates.
uint32_t ParseUnsigned32(const wchar_t* text, int base) {
    if (!text)
        return 0;
    const wchar_t* p = SkipSpace(text);
    bool negative = false;
    if (*p == L'-' || *p == L'+') {
        negative = *p == L'-';
        ++p;
    }
    if (*p == L'-' || *p == L'+' || BK_IsWhiteSpace(*p))
        return 0;
    errno = 0;
    const unsigned long long magnitude = std::wcstoull(p, nullptr, base);
    if (errno == ERANGE || magnitude > UINT32_MAX)
        return UINT32_MAX;
    const uint32_t value = static_cast<uint32_t>(magnitude);
    return negative ? static_cast<uint32_t>(0u - value) : value;
}

} // namespace

wchar_t BK_ToLower(wchar_t c) {
    if (locale_t locale = CaseLocale())
        return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), locale));
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

wchar_t BK_ToUpper(wchar_t c) {
    if (locale_t locale = CaseLocale())
        return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale));
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

bool BK_IsWhiteSpace(wchar_t c) {
    if (locale_t locale = CaseLocale())
        return iswspace_l(static_cast<wint_t>(c), locale) != 0;
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

int qf_wcscasecmp(const wchar_t* a, const wchar_t* b) {
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    for (;; ++a, ++b) {
        const wchar_t x = BK_ToLower(*a);
        const wchar_t y = BK_ToLower(*b);
        if (x < y)
            return -1;
        if (x > y)
            return 1;
        if (x == 0)
            return 0;
    }
}

tbx::CFStringRef BK_MakeCFString(const char* text) {
    if (!text)
        return nullptr;
    return tbx::CFStringCreateWithCString(nullptr, text, CBK_Locale::GetLocale());
}

tbx::CFStringRef BK_MakeCFString(const wchar_t* text) {
    CBK_CFString string(text);
    return static_cast<tbx::CFStringRef>(tbx::CFRetain(string.Get()));
}

bool BK_CFStringGetCharacters(tbx::CFStringRef string, char* buffer, int32_t size) {
    if (!string)
        return false;
    return tbx::CFStringGetCString(string, buffer, size, CBK_Locale::GetLocale());
}

bool BK_CFStringGetCharacters(tbx::CFStringRef string, wchar_t* buffer, int32_t size) {
    if (!string || !buffer || size <= 0)
        return false;
    const std::wstring text = BK_WidenCFString(string);
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return true;
}

std::string BK_StringWideToAnsi(const std::wstring& text) {
    const uint32_t encoding = CBK_Locale::GetLocale();
    std::string piece;
    std::u16string units;
    auto encode = [&](wchar_t c) -> const std::string& {
        units.clear();
        tbx::text::AppendUtf16(units, static_cast<char32_t>(c));
        if (!tbx::text::Encode(units, encoding, piece))
            piece.assign(1, '?');
        return piece;
    };
    // Scripts and names are mostly ASCII: such a character is encoded once per call and,
    // when it gives one byte, that byte is reused; the result is what encoding every
    // character anew gives.
    constexpr int16_t kUnknown = -1, kWide = -2;
    std::array<int16_t, 128> single;
    single.fill(kUnknown);
    // Written in place at one byte a character, with more room made only for a character
    // of more bytes.
    const wchar_t* const from = text.data();
    const size_t count = text.size();
    std::string out(count, '\0');
    char* to = out.data();
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto code = static_cast<uint32_t>(from[i]);
        if (code < single.size() && single[code] >= 0) {
            to[length++] = static_cast<char>(single[code]);
            continue;
        }
        const std::string& bytes = encode(from[i]);
        if (code < single.size())
            single[code] = bytes.size() == 1 ? static_cast<uint8_t>(bytes[0]) : kWide;
        // Room for these bytes and one for each character still to come.
        const size_t room = length + bytes.size() + (count - i - 1);
        if (room > out.size()) {
            out.resize(room);
            to = out.data();
        }
        std::memcpy(to + length, bytes.data(), bytes.size());
        length += bytes.size();
    }
    out.resize(length);
    return out;
}

std::wstring BK_StringAnsiToWide(const std::string& text) {
    std::u16string units;
    if (!tbx::text::Decode(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                           CBK_Locale::GetLocale(), false, units))
        return {};
    return BK_WidenUnits(units.data(), units.size());
}

std::wstring BK_StringAnsiToUTF8(const char* text) {
    CBK_CFString string(text);
    return string.GetUTF8String();
}

std::wstring BK_StringWideToUTF8(const wchar_t* text) {
    CBK_CFString string(text);
    return string.GetUTF8String();
}

void BK_CopyPascalStringToC(const unsigned char* pascal, wchar_t* out) {
    if (!out)
        return;
    if (!pascal) {
        out[0] = 0;
        return;
    }
    const uint8_t length = pascal[0];
    for (uint8_t i = 0; i < length; ++i)
        out[i] = tbx::text::MacRomanToUnicode(pascal[1 + i]);
    out[length] = 0;
}

void BK_CopyCStringToPascal(const wchar_t* text, unsigned char* pascal) {
    if (!pascal)
        return;
    std::size_t count = 0;
    if (text) {
        for (; text[count] && count < 255; ++count) {
            const int byte = tbx::text::UnicodeToMacRoman(static_cast<char32_t>(text[count]));
            pascal[1 + count] = static_cast<unsigned char>(byte < 0 ? '?' : byte);
        }
    }
    pascal[0] = static_cast<unsigned char>(count);
}

void BK_SetNativeString(unsigned char (&native)[256], const wchar_t* text) {
    BK_CopyCStringToPascal(text, native);
}

void BK_ClearNativeString(unsigned char (&native)[256]) {
    native[0] = 0;
}

uint8_t BK_NativeStringLength(const unsigned char (&native)[256]) {
    return native[0];
}

void BK_CopyNativeString(const unsigned char (&source)[256], unsigned char (&destination)[256]) {
    std::memmove(destination, source, 1u + source[0]);
}

bool BK_StringIsTrue(const wchar_t* text) {
    return text && qf_wcscasecmp(text, L"true") == 0;
}

int32_t BK_StringToS32(const wchar_t* text) {
    return ParseSigned32(text, 0);
}
uint32_t BK_StringToU32(const wchar_t* text) {
    return ParseUnsigned32(text, 0);
}

int32_t BK_StringToNum(const wchar_t* text, int32_t& out) {
    out = ParseSigned32(text, 10);
    return out;
}

int32_t BK_StringToNum(const wchar_t* text) {
    return ParseSigned32(text, 10);
}

int32_t BK_HexStringToLong(const wchar_t* text) {
    return ParseSigned32(text, 16);
}
uint32_t BK_HexStringToULong(const wchar_t* text) {
    return ParseUnsigned32(text, 16);
}

int BK_HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal exponent of a number's first significant digit, for telling overflow from
// underflow: above 0 means the number is large.
int64_t DecimalMagnitude(std::string_view text) {
    std::size_t i = 0;
    int64_t integerDigits = 0, fractionZeros = 0;
    bool significant = false;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        if (significant || text[i] != '0') {
            significant = true;
            ++integerDigits;
        }
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && IsDigit(text[i]); ++i)
            if (!significant) {
                significant = text[i] != '0';
                fractionZeros += !significant;
            }
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t from = i + 1;
        const bool negative = from < text.size() && text[from] == '-';
        from += from < text.size() && (text[from] == '-' || text[from] == '+');
        if (std::from_chars(text.data() + from, text.data() + text.size(), exponent).ec ==
            std::errc::result_out_of_range)
            exponent = INT32_MAX;
        exponent = negative ? -exponent : exponent;
    }
    return (integerDigits > 0 ? integerDigits : -fractionZeros) + exponent;
}

} // namespace

double BK_StringToFloat(const wchar_t* text, double& out) {
    out = 0.0;
    if (!text)
        return out;
    while (*text == L' ' || (*text >= L'\t' && *text <= L'\r'))
        ++text;
    const bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+')
        ++text;
    // The characters a number can be made of; from_chars decides where it ends.
    std::string narrow;
    for (; *text; ++text) {
        const wchar_t c = *text;
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
              c == L'.' || c == L'+' || c == L'-'))
            break;
        narrow.push_back(static_cast<char>(c));
    }
    if (narrow.empty() || narrow[0] == '-' || narrow[0] == '+')
        return out;
    double value = 0.0;
    const auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = DecimalMagnitude(narrow) > 0 ? HUGE_VAL : 0.0;
    else if (result.ec != std::errc())
        value = 0.0;
    out = negative ? -value : value;
    return out;
}

double BK_StringToFloat(const wchar_t* text) {
    double value;
    return BK_StringToFloat(text, value);
}

bool BK_StringIsNumber(const wchar_t* text, int32_t*) {
    if (!text)
        return false;
    for (; *text; ++text)
        if (*text < L'0' || *text > L'9')
            return false;
    return true;
}

void BK_NumToString(int32_t value, wchar_t* buffer) {
    if (buffer)
        std::swprintf(buffer, 256, L"%d", value);
}

bool BK_SetFormatString(wchar_t* buffer, std::size_t size, const wchar_t* format, ...) {
    if (!buffer || size == 0)
        return false;
    va_list arguments;
    va_start(arguments, format);
    std::wstring text;
    const bool ok = BK_FormatStringV(text, format, arguments);
    va_end(arguments);
    const std::size_t count = std::min(text.size(), size - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return ok && count == text.size();
}

std::wstring BK_MakeFloatFormat(uint32_t width, uint32_t precision) {
    wchar_t format[32];
    if (width && precision)
        std::swprintf(format, 32, L"%%%u.%uf", width, precision);
    else if (width)
        std::swprintf(format, 32, L"%%%u.f", width);
    else if (precision)
        std::swprintf(format, 32, L"%%.%uf", precision);
    else
        std::swprintf(format, 32, L"%%f");
    return format;
}

std::wstring BK_FormatFloat(double value, uint32_t width, uint32_t precision) {
    // As the format: precision 0 is no decimals with a width and the default six without.
    const uint32_t digits = precision ? precision : width ? 0 : 6;
    if (digits > 1100 || width > kBK_MaxFormattedLength)
        return {};
    std::vector<char> text(330 + digits);
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, static_cast<int>(digits));
    if (result.ec != std::errc())
        return {};
    std::wstring out(text.data(), result.ptr);
    if (out.size() < width)
        out.insert(0, width - out.size(), L' ');
    return out;
}

bool BK_FloatToString(const double& value, wchar_t* buffer, std::size_t size, uint32_t width,
                      uint32_t precision) {
    if (!buffer || size == 0)
        return false;
    const std::wstring text = BK_FormatFloat(value, width, precision);
    const std::size_t count = std::min(text.size(), size - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return !text.empty() && count == text.size();
}

void BK_MakeTimeString(uint32_t milliseconds, wchar_t* buffer, int32_t size) {
    if (!buffer || size <= 0)
        return;
    wchar_t text[64];
    const uint32_t hundredths = (milliseconds % 1000) / 10;
    if (milliseconds == 0)
        std::swprintf(text, 64, L"00:00.00");
    else if (milliseconds < 1000)
        std::swprintf(text, 64, L"00:00.%02u", milliseconds / 10);
    else if (milliseconds < 60000)
        std::swprintf(text, 64, L"00:%02u.%02u", milliseconds / 1000, hundredths);
    else
        std::swprintf(text, 64, L"%02u:%02u.%02u", milliseconds / 60000, (milliseconds / 1000) % 60,
                      hundredths);
    const std::size_t count = std::min(std::wcslen(text), static_cast<std::size_t>(size - 1));
    std::copy_n(text, count, buffer);
    buffer[count] = 0;
}

bool BK_LoadString(int32_t stringId, wchar_t* buffer, int32_t size) {
    if (!buffer || size <= 0)
        return false;
    tbx::CFStringRef key = tbx::CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), stringId);
    if (!key)
        return false;
    tbx::CFStringRef text =
        tbx::CFBundleCopyLocalizedString(tbx::CFBundleGetMainBundle(), key, key, nullptr);
    tbx::CFRelease(key);
    if (!text)
        return false;
    BK_CFStringGetCharacters(text, buffer, size);
    tbx::CFRelease(text);
    return true;
}

std::wstring BK_TrimString(const wchar_t* text) {
    if (!text)
        return {};
    std::wstring_view view(text);
    std::size_t start = 0;
    while (start < view.size() && BK_IsWhiteSpace(view[start]))
        ++start;
    std::size_t end = view.size();
    while (end > start && BK_IsWhiteSpace(view[end - 1]))
        --end;
    return std::wstring(view.substr(start, end - start));
}

void BK_MacDebugAssert(const char*, int32_t, const char*) {}

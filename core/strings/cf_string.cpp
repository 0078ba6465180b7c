#include "core/strings/cf_string.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "core/strings/locale.h"
#include "core/strings/wide_text.h"
#include "platform/bundle.h"
#include "platform/text_encoding.h"

namespace {

tbx::CFStringRef CreateFromWide(const wchar_t* text) {
    if (!text)
        return nullptr;
    // UTF-32 little-endian, as the wide text lies in memory.
    const tbx::TextEncoding utf32 =
        tbx::CreateTextEncoding(tbx::kTextEncodingUnicodeDefault, tbx::kTextEncodingDefaultVariant,
                                tbx::kUnicodeUTF32LEFormat);
    const std::size_t length = std::wcslen(text);
    std::vector<uint8_t> bytes(length * 4);
    for (std::size_t i = 0; i < length; ++i) {
        const uint32_t c = static_cast<uint32_t>(text[i]);
        for (int b = 0; b < 4; ++b)
            bytes[i * 4 + b] = static_cast<uint8_t>(c >> (8 * b));
    }
    return tbx::CFStringCreateWithBytes(nullptr, bytes.data(),
                                        static_cast<tbx::CFIndex>(bytes.size()), utf32, false);
}

} // namespace

CBK_CFString::CBK_CFString(const char* text) {
    Set(text);
}
CBK_CFString::CBK_CFString(const wchar_t* text) {
    Set(text);
}

CBK_CFString::CBK_CFString(const unsigned char* pascal) {
    _string = tbx::CFStringCreateWithPascalString(nullptr, pascal, CBK_Locale::GetLocale());
}

CBK_CFString::CBK_CFString(int32_t stringId) {
    LoadLocalizedString(stringId);
}

CBK_CFString::CBK_CFString(const CBK_CFString& other)
    : _string(static_cast<tbx::CFStringRef>(tbx::CFRetain(other._string))) {}

CBK_CFString& CBK_CFString::operator=(const CBK_CFString& other) {
    if (this != &other) {
        tbx::CFRetain(other._string);
        Destroy();
        _string = other._string;
    }
    return *this;
}

void CBK_CFString::Destroy() {
    tbx::CFRelease(_string);
    _string = nullptr;
}

bool CBK_CFString::Set(const char* text) {
    Destroy();
    if (text)
        _string = tbx::CFStringCreateWithCString(nullptr, text, CBK_Locale::GetLocale());
    return _string != nullptr;
}

bool CBK_CFString::Set(const wchar_t* text) {
    Destroy();
    _string = CreateFromWide(text);
    return _string != nullptr;
}

bool CBK_CFString::Set(const tbx::HFSUniStr255& name) {
    Destroy();
    _string = tbx::CFStringCreateWithCharacters(nullptr, name.unicode,
                                                std::min<tbx::CFIndex>(name.length, 255));
    return _string != nullptr;
}

uint32_t CBK_CFString::GetLength() const {
    return static_cast<uint32_t>(tbx::CFStringGetLength(_string));
}

bool CBK_CFString::IsEmpty() const {
    return GetLength() == 0;
}

bool CBK_CFString::GetAnsiString(char* buffer, int32_t size, uint32_t encoding) const {
    if (!_string)
        return false;
    return tbx::CFStringGetCString(_string, buffer, size, encoding);
}

std::string CBK_CFString::GetAnsiString(uint32_t encoding) const {
    const tbx::CFIndex length = tbx::CFStringGetLength(_string);
    if (length == 0)
        return {};
    // Room for the worst case of the encoding, so a valid conversion always fits.
    std::vector<char> buffer(
        static_cast<std::size_t>(tbx::CFStringGetMaximumSizeForEncoding(length, encoding)) + 1);
    if (!tbx::CFStringGetCString(_string, buffer.data(), static_cast<tbx::CFIndex>(buffer.size()),
                                 encoding))
        return {};
    return std::string(buffer.data());
}

bool CBK_CFString::GetPascalString(unsigned char* pascal) const {
    if (!_string)
        return false;
    return tbx::CFStringGetPascalString(_string, pascal, 256, CBK_Locale::GetLocale());
}

bool CBK_CFString::GetHFSUniStr(tbx::HFSUniStr255& name) const {
    const tbx::CFIndex count = std::min<tbx::CFIndex>(tbx::CFStringGetLength(_string), 255);
    tbx::CFStringGetCharacters(_string, tbx::CFRangeMake(0, count), name.unicode);
    name.length = static_cast<tbx::UInt16>(count);
    return count > 0;
}

bool CBK_CFString::GetUnicodeString(wchar_t* buffer, int32_t size) const {
    if (!_string || !buffer || size <= 0)
        return false;
    const std::wstring text = BK_WidenCFString(_string);
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return true;
}

std::wstring CBK_CFString::GetUnicodeString() const {
    return BK_WidenCFString(_string);
}

tbx::UniChar* CBK_CFString::GetUniCharString() const {
    if (!_string)
        return nullptr;
    const tbx::CFIndex length = tbx::CFStringGetLength(_string);
    auto* units = new tbx::UniChar[static_cast<std::size_t>(length) + 1];
    tbx::CFStringGetCharacters(_string, tbx::CFRangeMake(0, length), units);
    units[length] = 0;
    return units;
}

std::wstring CBK_CFString::GetUTF8String() const {
    std::wstring packed;
    for (wchar_t c : BK_WidenCFString(_string)) {
        std::string bytes;
        tbx::text::AppendUtf8(bytes, static_cast<char32_t>(c));
        uint32_t element = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            element |= uint32_t(static_cast<uint8_t>(bytes[i])) << (8 * i);
        packed.push_back(static_cast<wchar_t>(element));
    }
    return packed;
}

bool CBK_CFString::LoadLocalizedString(int32_t stringId) {
    Destroy();
    tbx::CFStringRef key = tbx::CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), stringId);
    if (!key)
        return false;
    tbx::CFStringRef text =
        tbx::CFBundleCopyLocalizedString(tbx::CFBundleGetMainBundle(), key, key, nullptr);
    const bool missing = !text || tbx::CFStringCompare(text, key, tbx::kCFCompareNumerically) == 0;
    tbx::CFRelease(key);
    if (missing) {
        tbx::CFRelease(text);
        return false;
    }
    _string = text;
    return true;
}

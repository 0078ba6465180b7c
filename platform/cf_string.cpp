#include "platform/cf_string.h"

#include "platform/classic_locale.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tbx {
namespace {

CFStringRef Make(std::u16string text) {
    return new CFString(std::move(text));
}

// Longest formatted text accepted; a format that never fits fails instead of growing on.
constexpr std::size_t kMaxFormatted = 1 << 20;

char16_t FoldCase(char16_t c) {
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding) {
    if (!text)
        return nullptr;
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text),
                                   static_cast<CFIndex>(std::strlen(text)), encoding, false);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex size,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
    if (size < 0 || (size > 0 && !bytes))
        return nullptr;
    std::u16string text;
    if (!text::Decode(bytes, static_cast<std::size_t>(size), encoding, isExternalRepresentation,
                      text))
        return nullptr;
    return Make(std::move(text));
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param text,
                                           CFStringEncoding encoding) {
    if (!text)
        return nullptr;
    return CFStringCreateWithBytes(nullptr, text + 1, text[0], encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* units, CFIndex count) {
    if (count < 0 || (count > 0 && !units))
        return nullptr;
    return Make(std::u16string(units, static_cast<std::size_t>(count)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string) {
    return string ? Make(string->Text()) : nullptr;
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, const void* formatOptions,
                                     CFStringRef format, ...) {
    va_list arguments;
    va_start(arguments, format);
    CFStringRef result =
        CFStringCreateWithFormatAndArguments(allocator, formatOptions, format, arguments);
    va_end(arguments);
    return result;
}

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, const void*, CFStringRef format,
                                                 va_list arguments) {
    if (!format)
        return nullptr;
    const std::string pattern = text::Utf16ToUtf8(format->Text());
    const ScopedClassicLocale numbers;
    std::vector<char> buffer(256);
    for (;;) {
        va_list attempt;
        va_copy(attempt, arguments);
        int written = std::vsnprintf(buffer.data(), buffer.size(), pattern.c_str(), attempt);
        va_end(attempt);
        if (written < 0)
            return nullptr;
        if (static_cast<std::size_t>(written) < buffer.size())
            break;
        if (static_cast<std::size_t>(written) + 1 > kMaxFormatted)
            return nullptr;
        buffer.resize(static_cast<std::size_t>(written) + 1);
    }
    std::u16string text;
    if (!text::Utf8ToUtf16(buffer.data(), text))
        return nullptr;
    return Make(std::move(text));
}

CFStringRef CFStringMakeConstantString(const char* utf8) {
    static std::mutex mutex;
    static std::map<std::string, CFString*>* table = new std::map<std::string, CFString*>;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = table->find(utf8);
    if (found != table->end())
        return found->second;
    std::u16string text;
    text::Utf8ToUtf16(utf8, text);
    auto* string = new CFString(std::move(text));
    string->MakeImmortal();
    table->emplace(utf8, string);
    return string;
}

CFIndex CFStringGetLength(CFStringRef string) {
    return string ? static_cast<CFIndex>(string->Text().size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index) {
    if (!string || index < 0 || static_cast<std::size_t>(index) >= string->Text().size())
        return 0;
    return string->Text()[static_cast<std::size_t>(index)];
}

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
    if (!string || !buffer || range.location < 0 || range.length <= 0)
        return;
    const std::u16string& text = string->Text();
    const auto start = std::min(static_cast<std::size_t>(range.location), text.size());
    const auto count = std::min(static_cast<std::size_t>(range.length), text.size() - start);
    std::copy_n(text.data() + start, count, buffer);
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    if (!string || !buffer || bufferSize <= 0)
        return false;
    std::string bytes;
    if (!text::Encode(string->Text(), encoding, bytes))
        return false;
    if (bytes.size() + 1 > static_cast<std::size_t>(bufferSize))
        return false;
    std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = '\0';
    return true;
}

Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
    if (!string || !buffer || bufferSize <= 0)
        return false;
    std::string bytes;
    if (!text::Encode(string->Text(), encoding, bytes))
        return false;
    if (bytes.size() > 255 || bytes.size() + 1 > static_cast<std::size_t>(bufferSize))
        return false;
    buffer[0] = static_cast<unsigned char>(bytes.size());
    std::memcpy(buffer + 1, bytes.data(), bytes.size());
    return true;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
    switch (encoding) {
    case kCFStringEncodingUTF8:
        return length * 3;
    case kCFStringEncodingShiftJIS:
    case kCFStringEncodingMacJapanese:
        return length * 2;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE:
        return length * 2;
    case kCFStringEncodingUTF32:
    case kCFStringEncodingUTF32BE:
    case kCFStringEncodingUTF32LE:
        return length * 4;
    default:
        return length;
    }
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options) {
    static const std::u16string kEmpty;
    const std::u16string& x = a ? a->Text() : kEmpty;
    const std::u16string& y = b ? b->Text() : kEmpty;
    const bool fold = options & kCFCompareCaseInsensitive;
    const bool numeric = options & kCFCompareNumerically;
    std::size_t i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        if (numeric && IsDigit(x[i]) && IsDigit(y[j])) {
            // Compare runs of digits by value: skip leading zeros, then longer is larger.
            std::size_t si = i, sj = j;
            while (si < x.size() && x[si] == u'0')
                ++si;
            while (sj < y.size() && y[sj] == u'0')
                ++sj;
            std::size_t ei = si, ej = sj;
            while (ei < x.size() && IsDigit(x[ei]))
                ++ei;
            while (ej < y.size() && IsDigit(y[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? kCFCompareLessThan : kCFCompareGreaterThan;
            for (std::size_t k = 0; k < ei - si; ++k)
                if (x[si + k] != y[sj + k])
                    return x[si + k] < y[sj + k] ? kCFCompareLessThan : kCFCompareGreaterThan;
            i = ei;
            j = ej;
            continue;
        }
        char16_t cx = fold ? FoldCase(x[i]) : x[i];
        char16_t cy = fold ? FoldCase(y[j]) : y[j];
        if (cx != cy)
            return cx < cy ? kCFCompareLessThan : kCFCompareGreaterThan;
        ++i;
        ++j;
    }
    if (i < x.size())
        return kCFCompareGreaterThan;
    if (j < y.size())
        return kCFCompareLessThan;
    return kCFCompareEqualTo;
}

} // namespace tbx

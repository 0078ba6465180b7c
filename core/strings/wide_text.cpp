#include "core/strings/wide_text.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/text_encoding.h"

std::wstring BK_WidenUnits(const char16_t* units, std::size_t count) {
    std::u32string wide = tbx::text::Utf16ToUtf32(std::u16string_view(units, count));
    return std::wstring(wide.begin(), wide.end());
}

std::wstring BK_WidenCFString(tbx::CFStringRef string) {
    if (!string)
        return {};
    return BK_WidenUnits(string->Text().data(), string->Text().size());
}

std::u16string BK_NarrowToUnits(const wchar_t* text, std::size_t length) {
    std::u16string units;
    units.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        tbx::text::AppendUtf16(units, static_cast<char32_t>(text[i]));
    return units;
}

bool BK_WideToCodePage(const wchar_t* text, uint32_t codePage, std::string& bytes) {
    bytes.clear();
    if (!text || !*text)
        return true;
    const std::u16string units = BK_NarrowToUnits(text, std::wcslen(text));
    tbx::CFStringRef string =
        tbx::CFStringCreateWithCharacters(nullptr, units.data(), tbx::CFIndex(units.size()));
    std::vector<char> converted(units.size() * 3 + 1);
    const bool ok = string && tbx::CFStringGetCString(string, converted.data(),
                                                      tbx::CFIndex(converted.size()), codePage);
    tbx::CFRelease(string);
    if (ok)
        bytes.assign(converted.data(), std::strlen(converted.data()));
    return ok;
}

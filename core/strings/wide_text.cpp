#include "core/strings/wide_text.h"

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

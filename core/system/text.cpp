#include "core/system/text.h"

#include "platform/fonts/text_drawing.h"
#include "platform/quickdraw/drawing.h"

namespace {

// Wide text is UTF-32 here, as the font layer takes it.
const char32_t* Chars(const wchar_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char32_t));
    return reinterpret_cast<const char32_t*>(text);
}

} // namespace

bool BK_DrawText(int32_t x, int32_t y, const wchar_t* text, int32_t length) {
    if (!text || length < 0 || x < INT16_MIN || x > INT16_MAX || y < INT16_MIN || y > INT16_MAX ||
        tbx::MoveTo(tbx::SInt16(x), tbx::SInt16(y)) != tbx::noErr)
        return false;
    return tbx::DrawUnicodeText(Chars(text), std::size_t(length)) == tbx::noErr;
}

int32_t BK_DrawTextFormatted(const wchar_t* text, int32_t length, const tbx::Rect& rect,
                             int32_t flags) {
    if (!text || length < 0)
        return 0;
    const int32_t width = tbx::UnicodeTextWidth(Chars(text), std::size_t(length));
    if (flags & BK_TEXT_CENTER)
        BK_DrawText((rect.left + rect.right) / 2 - width / 2, rect.bottom, text, length);
    return width;
}

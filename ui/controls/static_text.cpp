#include "ui/controls/static_text.h"

#include <algorithm>
#include <cstdarg>

#include "core/strings/cf_string.h"
#include "core/strings/format.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_text.h"

bool CBK_ControlStaticText::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                   const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    CBK_CFString string(text ? text : L"");
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateStaticTextControl(dialog.GetWindowHandle(), &bounds, string, &style, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlStaticText::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                   int32_t stringId) {
    CBK_String text(stringId);
    return Create(dialog, id, bounds, text.GetConstString());
}

bool CBK_ControlStaticText::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlText(m_hControl, text, redraw);
}

bool CBK_ControlStaticText::SetText(int32_t stringId, bool redraw) {
    CBK_String text(stringId);
    return SetText(text.GetConstString(), redraw);
}

bool CBK_ControlStaticText::SetText(const unsigned char* pascal, bool redraw) {
    wchar_t text[256] = {};
    if (pascal)
        BK_CopyPascalStringToC(pascal, text);
    return SetText(text, redraw);
}

bool CBK_ControlStaticText::SetTextWithNumber(int32_t n, bool redraw) {
    wchar_t text[256];
    BK_NumToString(n, text);
    SetText(text, redraw);
    return true;
}

bool CBK_ControlStaticText::SetFormatText(bool redraw, const wchar_t* format, ...) {
    std::wstring text;
    va_list arguments;
    va_start(arguments, format);
    const bool formatted = BK_FormatStringV(text, format, arguments);
    va_end(arguments);
    return formatted && SetText(text.c_str(), redraw);
}

bool CBK_ControlStaticText::SetTextWithFloat(double value, uint32_t width, uint32_t precision,
                                             bool redraw) {
    const std::wstring format = BK_MakeFloatFormat(width, precision);
    return SetFormatText(redraw, format.c_str(), value);
}

bool CBK_ControlStaticText::Clear(bool redraw) {
    return SetText(L"", redraw);
}

bool CBK_ControlStaticText::GetText(wchar_t* buffer, int32_t& length) {
    std::wstring wide;
    if (!buffer || length <= 0 || !BK_GetControlText(m_hControl, wide))
        return false;
    const std::size_t n = std::min<std::size_t>(wide.size(), static_cast<std::size_t>(length - 1));
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    length = static_cast<int32_t>(wide.size());
    return true;
}

bool BK_CreateControlStaticText(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                                int32_t height, const wchar_t* text, tbx::WindowRef& window) {
    const tbx::Rect bounds = BK_FrameAt(x, y, width, height);
    CBK_CFString string(text ? text : L"");
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    return tbx::CreateStaticTextControl(window, &bounds, string, &style, &out) == tbx::noErr;
}

#include "ui/controls/control_title.h"

#include <algorithm>
#include <cwchar>

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"

bool BK_SetControlTitle(tbx::ControlRef control, const wchar_t* text, bool redraw) {
    CBK_CFString title(text ? text : L"");
    if (tbx::SetControlTitleWithCFString(control, title) != tbx::noErr)
        return false;
    if (redraw)
        tbx::Draw1Control(control);
    return true;
}

bool BK_GetControlTitle(tbx::ControlRef control, wchar_t* buffer, int32_t& length) {
    tbx::CFStringRef copy = nullptr;
    if (!buffer || tbx::CopyControlTitleAsCFString(control, &copy) != tbx::noErr)
        return false;
    CBK_CFString title(copy);
    std::wstring text = title.GetUnicodeString();
    if (text.size() > 255)
        text.resize(255);
    const int32_t size = static_cast<int32_t>(text.size());
    if (length <= size + 1)
        return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[size] = 0;
    length = size;
    return true;
}

#include "ui/controls/group_box.h"

#include <algorithm>
#include <cwchar>

#include "core/strings/cf_string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/controls.h"
#include "ui/base/dialog.h"

bool CBK_ControlGroupBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    CBK_CFString title(text ? text : L"");
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateGroupBoxControl(dialog.GetWindowHandle(), &bounds, title, true, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlGroupBox::SetText(const wchar_t* text, bool redraw) {
    unsigned char pascal[256];
    BK_CopyCStringToPascal(text ? text : L"", pascal);
    return SetText(pascal, redraw);
}

bool CBK_ControlGroupBox::SetText(const unsigned char* pascal, bool redraw) {
    static const unsigned char kEmpty[1] = {0};
    CBK_CFString title(pascal ? pascal : kEmpty);
    tbx::SetControlTitleWithCFString(m_hControl, title);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_ControlGroupBox::GetText(wchar_t* buffer, int32_t& length) {
    if (!buffer || length <= 0)
        return false;
    tbx::CFStringRef title = nullptr;
    if (tbx::CopyControlTitleAsCFString(m_hControl, &title) != tbx::noErr)
        return false;
    CBK_CFString owned(title);
    unsigned char pascal[256];
    BK_CopyCStringToPascal(owned.GetUnicodeString().c_str(), pascal);
    // Read back as Mac Roman, as it was set, and bounded by the buffer's capacity.
    wchar_t text[256];
    BK_CopyPascalStringToC(pascal, text);
    const int32_t n = std::min<int32_t>(int32_t(std::wcslen(text)), length - 1);
    std::wmemcpy(buffer, text, std::size_t(n));
    buffer[n] = L'\0';
    length = n;
    return true;
}

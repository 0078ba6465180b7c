#include "ui/controls/control_title.h"

#include <algorithm>
#include <cwchar>

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"
#include "ui/graphics/icons.h"

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

bool BK_SetControlOn(tbx::ControlRef control, bool on, bool redraw) {
    tbx::SetControl32BitValue(control, on ? 1 : 0);
    if (redraw)
        tbx::Draw1Control(control);
    return true;
}

bool BK_SetButtonIcon(tbx::ControlRef control, int32_t iconId, uint32_t kind, tbx::IconRef& held,
                      uint32_t& heldKind) {
    tbx::IconRef icon = nullptr;
    if (!BK_LoadIcon(iconId, kind, icon))
        return false;
    const tbx::ControlButtonContentInfo content{tbx::kControlContentIconRef, icon};
    if (tbx::SetBevelButtonContentInfo(control, &content) != tbx::noErr) {
        BK_ReleaseIcon(kind, icon);
        return false;
    }
    if (held)
        BK_ReleaseIcon(heldKind, held);
    held = icon;
    heldKind = kind;
    return true;
}

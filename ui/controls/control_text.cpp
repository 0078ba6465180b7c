#include "ui/controls/control_text.h"

#include <vector>

#include "core/strings/cf_string.h"
#include "core/strings/locale.h"
#include "core/strings/string_functions.h"
#include "platform/windows/controls.h"

bool BK_SetControlText(tbx::ControlRef control, const wchar_t* text, bool redraw) {
    CBK_CFString string(text ? text : L"");
    tbx::CFStringRef ref = string.Get();
    if (tbx::SetControlData(control, tbx::kControlNoPart, tbx::kControlStaticTextCFStringTag,
                            sizeof ref, &ref) != tbx::noErr) {
        const std::string bytes = string.GetAnsiString(CBK_Locale::GetLocale());
        if (tbx::SetControlData(control, tbx::kControlNoPart, tbx::kControlStaticTextTextTag,
                                static_cast<tbx::UInt32>(bytes.size()), bytes.data()) != tbx::noErr)
            return false;
    }
    if (redraw)
        tbx::Draw1Control(control);
    return true;
}

bool BK_GetControlText(tbx::ControlRef control, std::wstring& out) {
    out.clear();
    tbx::CFStringRef copy = nullptr;
    if (tbx::GetControlData(control, tbx::kControlNoPart, tbx::kControlStaticTextCFStringTag,
                            sizeof copy, &copy, nullptr) == tbx::noErr) {
        CBK_CFString text(copy);
        out = text.GetUnicodeString();
        return true;
    }
    // Controls that keep only 8-bit text: measure it, then read all of it.
    tbx::UInt32 size = 0;
    if (tbx::GetControlDataSize(control, tbx::kControlNoPart, tbx::kControlStaticTextTextTag,
                                &size) != tbx::noErr)
        return false;
    std::vector<char> bytes(size);
    if (size && tbx::GetControlData(control, tbx::kControlNoPart, tbx::kControlStaticTextTextTag,
                                    size, bytes.data(), &size) != tbx::noErr)
        return false;
    out = BK_StringAnsiToWide(std::string(bytes.data(), bytes.size()));
    return true;
}

tbx::ControlFontStyleRec BK_TextControlStyle() {
    tbx::ControlFontStyleRec style;
    style.flags = tbx::kControlUseSizeMask;
    style.size = 10;
    return style;
}

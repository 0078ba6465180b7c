#include "ui/controls/popup_items.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"

namespace popup_items {

namespace {

// Keeps the control's limits in step with the item count.
int32_t SetLimits(tbx::ControlRef control, tbx::MenuRef menu) {
    const int32_t count = tbx::CountMenuItems(menu);
    tbx::SetControl32BitMaximum(control, count);
    tbx::SetControl32BitMinimum(control, count ? 1 : 0);
    return count;
}

} // namespace

tbx::MenuRef MenuOf(tbx::ControlRef control) {
    tbx::MenuRef menu = nullptr;
    if (tbx::GetControlData(control, tbx::kControlNoPart, tbx::kControlPopupButtonMenuRefTag,
                            sizeof menu, &menu, nullptr) != tbx::noErr)
        return nullptr;
    return menu;
}

int32_t Append(tbx::ControlRef control, tbx::MenuRef menu, const wchar_t* text) {
    CBK_CFString string(text ? text : L"");
    if (tbx::AppendMenuItemTextWithCFString(menu, string, 0, 0, nullptr) != tbx::noErr)
        return -1;
    return SetLimits(control, menu);
}

int32_t Insert(tbx::ControlRef control, tbx::MenuRef menu, const wchar_t* text, int32_t index) {
    const int32_t count = tbx::CountMenuItems(menu);
    const int32_t at = index < 0 ? 0 : std::min(index, count);
    CBK_CFString string(text ? text : L"");
    if (!tbx::IsValidMenu(menu) ||
        tbx::InsertMenuItemTextWithCFString(menu, string, at, 0, 0) != tbx::noErr)
        return -1;
    SetLimits(control, menu);
    return at;
}

int32_t AppendSeparator(tbx::ControlRef control, tbx::MenuRef menu) {
    if (tbx::AppendMenuItemTextWithCFString(menu, nullptr, tbx::kMenuItemAttrSeparator, 0,
                                            nullptr) != tbx::noErr)
        return -1;
    return SetLimits(control, menu);
}

int32_t Delete(tbx::ControlRef control, tbx::MenuRef menu, int32_t index) {
    const int32_t count = tbx::CountMenuItems(menu);
    if (count == 0)
        return -1;
    const int32_t item = std::clamp(index, 0, count - 1) + 1;
    tbx::DeleteMenuItem(menu, static_cast<tbx::MenuItemIndex>(item));
    SetLimits(control, menu);
    return item;
}

bool DeleteAll(tbx::ControlRef control, tbx::MenuRef menu) {
    if (!tbx::IsValidMenu(menu))
        return false;
    for (int32_t n = tbx::CountMenuItems(menu); n > 0; --n)
        tbx::DeleteMenuItem(menu, static_cast<tbx::MenuItemIndex>(n));
    SetLimits(control, menu);
    return true;
}

int32_t Count(tbx::MenuRef menu) {
    return tbx::CountMenuItems(menu);
}

bool Select(tbx::ControlRef control, tbx::MenuRef menu, int32_t index) {
    const int32_t count = tbx::CountMenuItems(menu);
    if (count == 0)
        return false;
    tbx::SetControl32BitValue(control, std::clamp(index, 0, count - 1) + 1);
    return true;
}

int32_t Current(tbx::ControlRef control) {
    const int32_t value = tbx::GetControl32BitValue(control);
    return value > 0 ? value - 1 : -1;
}

std::wstring Text(tbx::MenuRef menu, int32_t index) {
    tbx::CFStringRef copy = nullptr;
    if (index < 0 || index >= 0xFFFF ||
        tbx::CopyMenuItemTextAsCFString(menu, static_cast<tbx::MenuItemIndex>(index + 1), &copy) !=
            tbx::noErr)
        return {};
    CBK_CFString text(copy);
    return text.GetUnicodeString().substr(0, 255);
}

int32_t Find(tbx::MenuRef menu, const wchar_t* text) {
    if (!text)
        return -1;
    const int32_t count = tbx::CountMenuItems(menu);
    for (int32_t i = 0; i < count; ++i)
        if (Text(menu, i) == text)
            return i;
    return -1;
}

bool InstallHitHandler(tbx::ControlRef control, tbx::EventHandlerProcPtr proc, void* data,
                       tbx::EventHandlerUPP& upp, tbx::EventHandlerRef& handler) {
    if (handler)
        return true;
    upp = tbx::NewEventHandlerUPP(proc);
    const tbx::EventTypeSpec type{tbx::kEventClassControl, tbx::kEventControlHit};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(control), upp, 1, &type, data,
                                    &handler) == tbx::noErr;
}

} // namespace popup_items

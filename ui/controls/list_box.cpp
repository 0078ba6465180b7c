#include "ui/controls/list_box.h"

#include <algorithm>

#include "core/strings/string_functions.h"
#include "platform/windows/controls.h"

tbx::MenuRef CBK_ControlListBox::_Menu() {
    tbx::MenuRef menu = nullptr;
    if (tbx::GetControlData(m_hControl, 0, tbx::kControlPopupButtonMenuRefTag, sizeof menu, &menu,
                            nullptr) != tbx::noErr)
        return nullptr;
    return tbx::IsValidMenu(menu) ? menu : nullptr;
}

void CBK_ControlListBox::_SetRange() {
    const int32_t count = tbx::CountMenuItems(_Menu());
    tbx::SetControl32BitMinimum(m_hControl, count > 0 ? 1 : 0);
    tbx::SetControl32BitMaximum(m_hControl, count);
}

bool CBK_ControlListBox::AppendItem(const wchar_t* text) {
    return InsertItem(text, INT32_MAX);
}

bool CBK_ControlListBox::InsertItem(const wchar_t* text, int32_t index) {
    tbx::MenuRef menu = _Menu();
    if (!menu)
        return false;
    const int32_t count = tbx::CountMenuItems(menu);
    index = std::clamp(index, 0, count);
    unsigned char pascal[256];
    BK_CopyCStringToPascal(text ? text : L"", pascal);
    if (tbx::InsertMenuItemTextWithCFString(menu, nullptr, index, 0, 0) != tbx::noErr)
        return false;
    tbx::SetMenuItemText(menu, tbx::MenuItemIndex(index + 1), pascal);
    _SetRange();
    return true;
}

bool CBK_ControlListBox::RemoveItem(int32_t index) {
    tbx::MenuRef menu = _Menu();
    const int32_t count = menu ? tbx::CountMenuItems(menu) : 0;
    if (count == 0)
        return false;
    tbx::DeleteMenuItem(menu, tbx::MenuItemIndex(std::clamp(index, 0, count - 1) + 1));
    _SetRange();
    return true;
}

bool CBK_ControlListBox::RemoveAllItems() {
    tbx::MenuRef menu = _Menu();
    if (!menu)
        return false;
    for (int32_t n = tbx::CountMenuItems(menu); n > 0; --n)
        tbx::DeleteMenuItem(menu, tbx::MenuItemIndex(n));
    tbx::SetControl32BitMinimum(m_hControl, 0);
    tbx::SetControl32BitMaximum(m_hControl, 0);
    return true;
}

int32_t CBK_ControlListBox::GetItemCount() {
    tbx::MenuRef menu = _Menu();
    return menu ? tbx::CountMenuItems(menu) : 0;
}

bool CBK_ControlListBox::SetCurrentItem(int32_t index) {
    if (!_Menu())
        return false;
    const int32_t count = GetItemCount();
    // Past the end pins to the last item.
    tbx::SetControl32BitValue(m_hControl, index < 0 ? 1 : std::min(index, count) + 1);
    return true;
}

int32_t CBK_ControlListBox::GetCurrentItem() {
    return tbx::GetControl32BitValue(m_hControl) - 1;
}

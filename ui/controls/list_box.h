// CBK_ControlListBox: a pop-up menu control from a nib used as a one-line list of text items,
// addressed from 0. The value is the 1-based current item; the minimum is 1 with items, else
// 0; the maximum is the item count. Every operation fails (false or 0) without a menu.
#pragma once

#include "platform/windows/menus.h"
#include "ui/base/control.h"

class CBK_ControlListBox : public CBK_Control {
public:
    bool AppendItem(const wchar_t* text);
    // The index is held to 0..count.
    bool InsertItem(const wchar_t* text, int32_t index);
    // The index is held to 0..count - 1.
    bool RemoveItem(int32_t index);
    bool RemoveAllItems();
    int32_t GetItemCount();
    bool SetCurrentItem(int32_t index);
    int32_t GetCurrentItem();

private:
    tbx::MenuRef _Menu();
    void _SetRange();
};

// CBK_ControlDropList: a pop-up list of text items with a current item (from 0).
#pragma once

#include <cstdint>

#include "platform/windows/menus.h"
#include "ui/base/control.h"

class CBK_ControlDropList : public CBK_Control {
public:
    CBK_ControlDropList() = default;
    ~CBK_ControlDropList() override;

    // A pop-up button with a new empty menu (id 9999) that this object owns. The last
    // argument has no effect.
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title, int32_t);
    bool Destroy() override;
    bool OnInit() override;

    // The new item count; -1 without a menu.
    int32_t AppendItem(const wchar_t* text);
    int32_t AppendItem(int32_t stringId);
    // The new item's position: 0 for a negative index, the old count past the end.
    int32_t InsertItem(const wchar_t* text, int32_t index);
    int32_t InsertItem(int32_t stringId, int32_t index);
    int32_t AppendSeparator();
    // Deletes the item at `index` clamped into the list: the new count, -1 without a menu or
    // item.
    int32_t DeleteItem(int32_t index);
    bool DeleteLastItem();
    bool DeleteAllItems();
    int32_t GetItemCount();
    // Clamped into the list; false for an empty list.
    bool SetCurrentItem(int32_t index);
    // The current item (-1 when none); with a buffer also its text (at most length - 1
    // characters).
    int32_t GetCurrentItem(wchar_t* buffer = nullptr, uint32_t length = 0);
    // Exact, case included; -1 when none.
    int32_t FindItem(const wchar_t* text);
    bool EnableCheckMark(bool enable);
    bool SetVisibleListHeight(int32_t) { return true; }

private:
    static tbx::OSStatus _HitHandler(tbx::EventHandlerCallRef, tbx::EventRef, void*);

    tbx::MenuRef m_hMenu = nullptr; // made by Create; a nib's menu belongs to the nib
    tbx::EventHandlerUPP m_hHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hHandler = nullptr;
};

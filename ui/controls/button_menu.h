// CBK_ControlButtonMenu: a bevel button that drops down a menu (with submenus); a choice fires
// the notification with the chosen item's command id (0 when it has none). The platform may
// report a choice as a menu command, as a hit on the menu part, or both; each choice fires
// once.
#pragma once

#include <cstdint>

#include "core/events/event.h"
#include "platform/windows/menus.h"
#include "ui/base/control.h"

class CBK_Menu;

class CBK_ControlButtonMenu : public CBK_Control {
public:
    CBK_ControlButtonMenu() = default;
    ~CBK_ControlButtonMenu() override;

    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    // Removes the handlers and frees the menu the button owns.
    bool Destroy() override;
    bool OnInit() override;

    // The button owns `menu` from now on; answers the menu it had before (null when none, and
    // null when the platform refuses the new one).
    tbx::MenuRef SetMenu(tbx::MenuRef& menu, bool unused);
    tbx::MenuRef SetMenu(CBK_Menu& menu, bool unused);
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(int32_t stringId, bool redraw);
    bool OnCommand(uint32_t command, tbx::EventRef& event);

    TBK_Event<uint32_t> m_CommandEvent;

private:
    static tbx::OSStatus _Handler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);
    tbx::OSStatus _OnMenuCommand(tbx::EventRef event);
    void _OnMenuHit();
    bool _InTree(tbx::MenuRef menu) const;
    uint32_t _CommandOf(tbx::MenuID menuId, tbx::MenuItemIndex item) const;

    tbx::MenuRef m_hMenu = nullptr;
    tbx::EventHandlerUPP m_hMenuHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hMenuHandler = nullptr;
    tbx::EventHandlerUPP m_hHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hHandler = nullptr;
    // The choice already reported by its menu command, so that its hit does not fire again.
    tbx::MenuID m_nFiredMenu = 0;
    tbx::MenuItemIndex m_nFiredItem = 0;
    bool m_bFiredByCommand = false;
};

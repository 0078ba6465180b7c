#include "ui/controls/button_menu.h"

#include <vector>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_title.h"
#include "ui/menus/menu.h"

CBK_ControlButtonMenu::~CBK_ControlButtonMenu() {
    CBK_ControlButtonMenu::Destroy();
}

bool CBK_ControlButtonMenu::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                   const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateBevelButtonControl(
        dialog.GetWindowHandle(), &bounds, text, tbx::kControlBevelButtonNormalBevel,
        tbx::kControlBehaviorPushbutton, nullptr, 0, 0, 0, &control);
    if (!_AdoptControl(status, control))
        return false;
    _OnCreate(dialog, id);
    OnInit();
    return true;
}

bool CBK_ControlButtonMenu::Destroy() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    if (m_hMenuHandler)
        tbx::RemoveEventHandler(m_hMenuHandler);
    m_hHandler = m_hMenuHandler = nullptr;
    tbx::DisposeEventHandlerUPP(m_hHandlerUPP);
    tbx::DisposeEventHandlerUPP(m_hMenuHandlerUPP);
    m_hHandlerUPP = m_hMenuHandlerUPP = nullptr;
    if (m_hMenu) {
        // The control may outlive this object in its window: it must not keep a freed menu.
        tbx::MenuRef none = nullptr;
        if (tbx::IsValidControlHandle(m_hControl))
            tbx::SetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlBevelButtonMenuRefTag,
                                sizeof none, &none);
        tbx::DisposeMenu(m_hMenu);
    }
    m_hMenu = nullptr;
    return CBK_Control::Destroy();
}

bool CBK_ControlButtonMenu::OnInit() {
    if (m_hHandler)
        return true;
    m_hHandlerUPP = tbx::NewEventHandlerUPP(_Handler);
    m_hMenuHandlerUPP = tbx::NewEventHandlerUPP(_Handler);
    if (!m_hHandlerUPP || !m_hMenuHandlerUPP)
        return false;
    const tbx::EventTypeSpec types[] = {{tbx::kEventClassControl, tbx::kEventControlHit},
                                        {tbx::kEventClassCommand, tbx::kEventCommandProcess}};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), m_hHandlerUPP, 2, types,
                                    this, &m_hHandler) == tbx::noErr;
}

tbx::MenuRef CBK_ControlButtonMenu::SetMenu(tbx::MenuRef& menu, bool) {
    if (tbx::SetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlBevelButtonMenuRefTag,
                            sizeof menu, &menu) != tbx::noErr)
        return nullptr;
    if (m_hMenuHandler)
        tbx::RemoveEventHandler(m_hMenuHandler);
    m_hMenuHandler = nullptr;
    tbx::MenuRef previous = m_hMenu;
    m_hMenu = menu;
    return previous;
}

tbx::MenuRef CBK_ControlButtonMenu::SetMenu(CBK_Menu& menu, bool unused) {
    return SetMenu(menu.GetMenuHandle(), unused);
}

bool CBK_ControlButtonMenu::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlTitle(m_hControl, text, redraw);
}

bool CBK_ControlButtonMenu::SetText(int32_t stringId, bool redraw) {
    CBK_String text(stringId);
    return SetText(text.GetConstString(), redraw);
}

bool CBK_ControlButtonMenu::OnCommand(uint32_t command, tbx::EventRef&) {
    m_CommandEvent.Fire(command);
    return true;
}

bool CBK_ControlButtonMenu::_InTree(tbx::MenuRef menu) const {
    std::vector<tbx::MenuRef> pending{m_hMenu};
    for (std::size_t i = 0; i < pending.size() && i < 256; ++i) {
        if (pending[i] == menu)
            return true;
        for (tbx::MenuItemIndex item = 1; item <= tbx::CountMenuItems(pending[i]); ++item) {
            tbx::MenuRef sub = nullptr;
            if (tbx::GetMenuItemHierarchicalMenu(pending[i], item, &sub) == tbx::noErr && sub)
                pending.push_back(sub);
        }
    }
    return false;
}

uint32_t CBK_ControlButtonMenu::_CommandOf(tbx::MenuID menuId, tbx::MenuItemIndex item) const {
    // Depth first through the submenus for the one the choice came from.
    std::vector<tbx::MenuRef> pending{m_hMenu};
    std::size_t visited = 0;
    while (!pending.empty() && visited++ < 256) {
        tbx::MenuRef menu = pending.back();
        pending.pop_back();
        for (tbx::MenuItemIndex i = tbx::CountMenuItems(menu); i >= 1; --i) {
            tbx::MenuRef sub = nullptr;
            if (tbx::GetMenuItemHierarchicalMenu(menu, i, &sub) != tbx::noErr || !sub)
                continue;
            if (tbx::GetMenuID(sub) == menuId) {
                tbx::MenuCommand command = 0;
                if (tbx::GetMenuItemCommandID(sub, item, &command) == tbx::noErr && command)
                    return command;
            }
            pending.push_back(sub);
        }
    }
    tbx::MenuCommand command = 0;
    tbx::GetMenuItemCommandID(m_hMenu, item, &command);
    return command;
}

tbx::OSStatus CBK_ControlButtonMenu::_OnMenuCommand(tbx::EventRef event) {
    tbx::HICommandExtended record;
    if (tbx::GetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeHICommand, nullptr,
                               sizeof record, nullptr, &record) != tbx::noErr ||
        !(record.attributes & tbx::kHICommandFromMenu))
        return tbx::eventNotHandledErr;
    auto* menu = static_cast<tbx::MenuRef>(record.source.menu.menuRef);
    m_bFiredByCommand = _InTree(menu);
    m_nFiredMenu = tbx::GetMenuID(menu);
    m_nFiredItem = record.source.menu.menuItemIndex;
    m_CommandEvent.Fire(record.commandID);
    return tbx::noErr;
}

void CBK_ControlButtonMenu::_OnMenuHit() {
    tbx::MenuID menuId = 0;
    tbx::SInt16 item = 0;
    tbx::GetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlBevelButtonLastMenuTag,
                        sizeof menuId, &menuId, nullptr);
    tbx::GetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlBevelButtonMenuValueTag,
                        sizeof item, &item, nullptr);
    const bool reported = m_bFiredByCommand && m_nFiredMenu == menuId &&
                          m_nFiredItem == static_cast<tbx::MenuItemIndex>(item);
    m_bFiredByCommand = false;
    if (!reported)
        m_CommandEvent.Fire(_CommandOf(menuId, static_cast<tbx::MenuItemIndex>(item)));
}

tbx::OSStatus CBK_ControlButtonMenu::_Handler(tbx::EventHandlerCallRef, tbx::EventRef event,
                                              void* data) {
    auto* self = static_cast<CBK_ControlButtonMenu*>(data);
    if (!self)
        return tbx::eventNotHandledErr;
    if (tbx::GetEventClass(event) == tbx::kEventClassCommand)
        return self->_OnMenuCommand(event);
    tbx::ControlRef control = nullptr;
    tbx::ControlPartCode part = tbx::kControlNoPart;
    tbx::GetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeControlRef, nullptr,
                           sizeof control, nullptr, &control);
    tbx::GetEventParameter(event, tbx::kEventParamControlPart, tbx::typeControlPartCode, nullptr,
                           sizeof part, nullptr, &part);
    if (control == self->m_hControl && part == tbx::kControlMenuPart)
        self->_OnMenuHit();
    // The window still gets the hit.
    return tbx::eventNotHandledErr;
}

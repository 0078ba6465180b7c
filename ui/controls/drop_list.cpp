#include "ui/controls/drop_list.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/controls/popup_items.h"

CBK_ControlDropList::~CBK_ControlDropList() {
    CBK_ControlDropList::Destroy();
}

bool CBK_ControlDropList::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 const wchar_t* title, int32_t) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    tbx::OSStatus status = tbx::CreatePopupButtonControl(dialog.GetWindowHandle(), &bounds, text,
                                                         -12345, false, -1, 0, 0, &control);
    if (status == tbx::noErr) {
        m_hMenu = tbx::NewMenu(9999, nullptr);
        status = tbx::SetControlData(control, tbx::kControlNoPart,
                                     tbx::kControlPopupButtonMenuRefTag, sizeof m_hMenu, &m_hMenu);
    }
    if (status != tbx::noErr) {
        m_nLastError = status;
        if (control)
            tbx::DisposeControl(control);
        return false;
    }
    m_hControl = control;
    return _OnCreate(dialog, id);
}

bool CBK_ControlDropList::Destroy() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    CBK_Control::Destroy();
    if (m_hMenu)
        tbx::DisposeMenu(m_hMenu);
    m_hMenu = nullptr;
    return true;
}

tbx::OSStatus CBK_ControlDropList::_HitHandler(tbx::EventHandlerCallRef, tbx::EventRef, void*) {
    return tbx::eventNotHandledErr;
}

bool CBK_ControlDropList::OnInit() {
    return popup_items::InstallHitHandler(m_hControl, _HitHandler, this, m_hHandlerUPP, m_hHandler);
}

int32_t CBK_ControlDropList::AppendItem(const wchar_t* text) {
    tbx::MenuRef menu = popup_items::MenuOf(m_hControl);
    if (!menu) {
        m_nLastError = tbx::menuInvalidErr;
        return -1;
    }
    return popup_items::Append(m_hControl, menu, text);
}

int32_t CBK_ControlDropList::AppendItem(int32_t stringId) {
    CBK_String text(stringId);
    return AppendItem(text.GetConstString());
}

int32_t CBK_ControlDropList::InsertItem(const wchar_t* text, int32_t index) {
    return popup_items::Insert(m_hControl, popup_items::MenuOf(m_hControl), text, index);
}

int32_t CBK_ControlDropList::InsertItem(int32_t stringId, int32_t index) {
    CBK_String text(stringId);
    return InsertItem(text.GetConstString(), index);
}

int32_t CBK_ControlDropList::AppendSeparator() {
    return popup_items::AppendSeparator(m_hControl, popup_items::MenuOf(m_hControl));
}

int32_t CBK_ControlDropList::DeleteItem(int32_t index) {
    tbx::MenuRef menu = popup_items::MenuOf(m_hControl);
    if (popup_items::Delete(m_hControl, menu, index) < 0)
        return -1;
    return popup_items::Count(menu);
}

bool CBK_ControlDropList::DeleteLastItem() {
    const int32_t count = GetItemCount();
    if (count > 0)
        DeleteItem(count - 1);
    return true;
}

bool CBK_ControlDropList::DeleteAllItems() {
    return popup_items::DeleteAll(m_hControl, popup_items::MenuOf(m_hControl));
}

int32_t CBK_ControlDropList::GetItemCount() {
    return popup_items::Count(popup_items::MenuOf(m_hControl));
}

bool CBK_ControlDropList::SetCurrentItem(int32_t index) {
    return popup_items::Select(m_hControl, popup_items::MenuOf(m_hControl), index);
}

int32_t CBK_ControlDropList::GetCurrentItem(wchar_t* buffer, uint32_t length) {
    const int32_t current = popup_items::Current(m_hControl);
    if (buffer && length) {
        const std::wstring text = popup_items::Text(popup_items::MenuOf(m_hControl), current);
        const std::size_t n = std::min<std::size_t>(text.size(), length - 1);
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        buffer[n] = 0;
    }
    return current;
}

int32_t CBK_ControlDropList::FindItem(const wchar_t* text) {
    return popup_items::Find(popup_items::MenuOf(m_hControl), text);
}

bool CBK_ControlDropList::EnableCheckMark(bool enable) {
    const tbx::Boolean flag = enable;
    return tbx::SetControlData(m_hControl, tbx::kControlNoPart,
                               tbx::kControlPopupButtonCheckCurrentTag, sizeof flag,
                               &flag) == tbx::noErr;
}

#include "ui/controls/tab_control.h"

#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/common/localized_text.h"

CBK_ControlTab::~CBK_ControlTab() {
    if (m_hHitHandler)
        tbx::RemoveEventHandler(m_hHitHandler);
}

bool CBK_ControlTab::OnInit() {
    if (m_hHitHandler)
        tbx::RemoveEventHandler(m_hHitHandler);
    m_hHitHandler = nullptr;
    m_hHitUPP = tbx::NewEventHandlerUPP(HitHandler);
    const tbx::EventTypeSpec hit{tbx::kEventClassControl, tbx::kEventControlHit};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), m_hHitUPP, 1, &hit,
                                    this, &m_hHitHandler) == tbx::noErr;
}

int32_t CBK_ControlTab::AddItem(tbx::WindowRef, int32_t pane, const wchar_t*) {
    m_Tabs.push_back(tbx::ControlID{0, pane});
    return 0;
}

int32_t CBK_ControlTab::AddItem(tbx::WindowRef window, int32_t pane, int32_t labelStringId) {
    const auto label = BK_LocalizedText(labelStringId);
    if (!label)
        return -1;
    return AddItem(window, pane, label->c_str());
}

tbx::ControlRef CBK_ControlTab::GetPane(int32_t index) {
    if (index < 0 || index >= GetNumberOfTabs())
        return nullptr;
    tbx::ControlRef pane = nullptr;
    if (tbx::GetControlByID(tbx::GetControlOwner(m_hControl), &m_Tabs[index], &pane) != tbx::noErr)
        return nullptr;
    return pane;
}

int32_t CBK_ControlTab::GetCurrentSelection() {
    return tbx::GetControl32BitValue(m_hControl) - 1;
}

bool CBK_ControlTab::SetCurrentSelection(int32_t index, bool redraw) {
    for (int32_t i = 0; i < GetNumberOfTabs(); ++i)
        if (i != index)
            if (tbx::ControlRef pane = GetPane(i))
                tbx::SetControlVisibility(pane, false, true);
    if (tbx::ControlRef pane = GetPane(index)) {
        tbx::ClearKeyboardFocus(tbx::GetControlOwner(m_hControl));
        tbx::SetControlVisibility(pane, true, true);
    }
    tbx::SetControl32BitValue(m_hControl, index + 1);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    m_OnTabChange.Fire(*this);
    return true;
}

tbx::OSStatus CBK_ControlTab::HitHandler(tbx::EventHandlerCallRef, tbx::EventRef event,
                                         void* data) {
    auto* tab = static_cast<CBK_ControlTab*>(data);
    tbx::ControlRef control = nullptr;
    tbx::ControlID id;
    if (!tab ||
        tbx::GetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeControlRef, nullptr,
                               sizeof control, nullptr, &control) != tbx::noErr ||
        tbx::GetControlID(control, &id) != tbx::noErr || id.signature != tab->GetControlId())
        return tbx::eventNotHandledErr;
    tab->SetCurrentSelection(tbx::GetControl32BitValue(control) - 1, true);
    return tbx::noErr;
}

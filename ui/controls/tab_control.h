// CBK_ControlTab: a tab control that shows one pane per tab; the panes are user panes of the
// same window with the control id {0, pane number}.
#pragma once

#include <vector>

#include "core/events/event.h"
#include "ui/base/control.h"

class CBK_ControlTab : public CBK_Control {
public:
    ~CBK_ControlTab() override;
    bool OnInit() override;

    // Appends a tab entry for the pane; the label the nib gives is kept. 0.
    int32_t AddItem(tbx::WindowRef window, int32_t pane, const wchar_t* label);
    // -1, nothing added, when the string id has no text.
    int32_t AddItem(tbx::WindowRef window, int32_t pane, int32_t labelStringId);
    // The pane control of entry `index`; null when there is none.
    tbx::ControlRef GetPane(int32_t index);
    int32_t GetNumberOfTabs() const { return static_cast<int32_t>(m_Tabs.size()); }
    int32_t GetCurrentSelection();
    // Hides every other pane, shows this one (clearing the keyboard focus), selects the tab
    // and fires the change.
    bool SetCurrentSelection(int32_t index, bool redraw);
    bool DeleteItem(int32_t) { return false; }
    bool DeleteAllItems() { return false; }

    // Fired after every change of tab.
    TBK_Event<CBK_ControlTab&> m_OnTabChange;

private:
    static tbx::OSStatus HitHandler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);

    tbx::EventHandlerUPP m_hHitUPP = nullptr;
    tbx::EventHandlerRef m_hHitHandler = nullptr;
    std::vector<tbx::ControlID> m_Tabs;
};

// CBK_FilterSettingControls: the dialog group that edits one whole-number filter setting: a
// label, an edit box and a slider. The slider and the edit box (on a key that ends an entry)
// both write the setting through the filter's setter, which fires the settings-changed event
// when the value changes; each then shows the setting in the other control.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/windows/carbon_types.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/static_text.h"

class CBK_Dialog;

class CBK_FilterSettingControls {
public:
    struct Ids {
        uint32_t label, slider, edit;
    };
    static constexpr Ids kFirstIds{1000, 1001, 1002};
    static constexpr Ids kSecondIds{1003, 1004, 1005};

    using Getter = std::function<int32_t()>;
    using Setter = std::function<void(int32_t)>;
    // What a typed value becomes, given the range; the box shows it when it differs.
    using Limiter = int32_t (*)(int32_t value, int32_t minimum, int32_t maximum);
    static int32_t HoldToRange(int32_t value, int32_t minimum, int32_t maximum);

    CBK_FilterSettingControls(const wchar_t* label, int32_t minimum, int32_t maximum, Getter get,
                              Setter set, Limiter limit = &HoldToRange);
    CBK_FilterSettingControls(const CBK_FilterSettingControls&) = delete;
    CBK_FilterSettingControls& operator=(const CBK_FilterSettingControls&) = delete;

    // The usual single group: the dialog 100 pixels taller, the first ids, digits only.
    bool Create(CBK_Dialog& dialog, tbx::Rect& area);
    // The label at (left, top), the edit box to its right, the slider 24 pixels below.
    bool Create(CBK_Dialog& dialog, int32_t left, int32_t top, Ids ids,
                CBK_ControlEditBox::FILTER_TYPE mode);
    bool Destroy();

    // Runs the slider's or the edit box's handler for their ids: true; other codes false.
    bool OnCommand(uint32_t code);
    void OnEdit();
    void OnSlider();

private:
    static void _OnEnterKey(CBK_ControlEditBox& box, void* group);

    const wchar_t* m_pLabel;
    int32_t m_nMinimum, m_nMaximum;
    Getter m_get;
    Setter m_set;
    Limiter m_limit;
    Ids m_ids{};
    CBK_ControlStaticText m_label;
    CBK_ControlEditBox m_edit;
    CBK_ControlSlider m_slider;
};

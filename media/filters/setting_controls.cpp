#include "media/filters/setting_controls.h"

#include <algorithm>
#include <utility>

#include "media/filters/image_filter.h"
#include "ui/base/dialog.h"

int32_t CBK_FilterSettingControls::HoldToRange(int32_t value, int32_t minimum, int32_t maximum) {
    return std::clamp(value, minimum, maximum);
}

CBK_FilterSettingControls::CBK_FilterSettingControls(const wchar_t* label, int32_t minimum,
                                                     int32_t maximum, Getter get, Setter set,
                                                     Limiter limit)
    : m_pLabel(label), m_nMinimum(minimum), m_nMaximum(maximum), m_get(std::move(get)),
      m_set(std::move(set)), m_limit(limit) {}

bool CBK_FilterSettingControls::Create(CBK_Dialog& dialog, tbx::Rect& area) {
    CBK_ImageFilter::ExpandDialogHeight(dialog, 100);
    return Create(dialog, area.left, area.top, kFirstIds,
                  CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER);
}

bool CBK_FilterSettingControls::Create(CBK_Dialog& dialog, int32_t left, int32_t top, Ids ids,
                                       CBK_ControlEditBox::FILTER_TYPE mode) {
    m_ids = ids;
    const auto at = [](int32_t t, int32_t l, int32_t b, int32_t r) {
        return tbx::Rect{static_cast<int16_t>(t), static_cast<int16_t>(l), static_cast<int16_t>(b),
                         static_cast<int16_t>(r)};
    };
    tbx::Rect labelBounds = at(top, left, top + 16, left + 58);
    tbx::Rect editBounds = at(top, left + 133, top + 16, left + 162);
    tbx::Rect sliderBounds = at(top + 24, left, top + 36, left + 208);
    if (!m_label.Create(dialog, ids.label, labelBounds, m_pLabel) ||
        !m_edit.Create(dialog, ids.edit, editBounds, L"", 0) ||
        !m_slider.Create(dialog, ids.slider, sliderBounds, L"")) {
        Destroy();
        return false;
    }
    m_edit.SetFilter(mode);
    m_edit.SetOnEnterKeyCallback(&_OnEnterKey, this);
    m_edit.SetTextWithNumber(m_get(), true);
    m_slider.SetRange(m_nMinimum, m_nMaximum, false);
    m_slider.SetPosition(m_get(), true);
    return true;
}

bool CBK_FilterSettingControls::Destroy() {
    m_label.Destroy();
    m_edit.Destroy();
    m_slider.Destroy();
    return true;
}

bool CBK_FilterSettingControls::OnCommand(uint32_t code) {
    if (code == m_ids.slider && m_slider.GetControlHandle()) {
        OnSlider();
        return true;
    }
    if (code == m_ids.edit && m_edit.GetControlHandle()) {
        OnEdit();
        return true;
    }
    return false;
}

void CBK_FilterSettingControls::OnEdit() {
    const int32_t typed = m_edit.GetTextAsNumber();
    const int32_t value = m_limit(typed, m_nMinimum, m_nMaximum);
    if (value != typed)
        m_edit.SetTextWithNumber(value, true);
    m_set(value);
    m_slider.SetPosition(m_get(), true);
}

void CBK_FilterSettingControls::OnSlider() {
    m_set(m_slider.GetPosition());
    m_edit.SetTextWithNumber(m_get(), true);
}

void CBK_FilterSettingControls::_OnEnterKey(CBK_ControlEditBox&, void* group) {
    static_cast<CBK_FilterSettingControls*>(group)->OnEdit();
}

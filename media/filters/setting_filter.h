// CBK_ImageFilterWithSetting: the base of a filter whose dialog group is one whole-number
// setting; the group builds, destroys and handles the filter's controls.
#pragma once

#include <cstdint>
#include <utility>

#include "media/filters/image_filter.h"
#include "media/filters/setting_controls.h"

class CBK_ImageFilterWithSetting : public CBK_ImageFilter {
public:
    bool InitControls(CBK_Dialog& dialog, tbx::Rect& area) override {
        return m_controls.Create(dialog, area);
    }
    bool KillControls() override { return m_controls.Destroy(); }
    bool OnCommand(uint32_t code, tbx::EventRef&) override { return m_controls.OnCommand(code); }

protected:
    CBK_ImageFilterWithSetting(
        const wchar_t* label, int32_t minimum, int32_t maximum,
        CBK_FilterSettingControls::Getter get, CBK_FilterSettingControls::Setter set,
        CBK_FilterSettingControls::Limiter limit = &CBK_FilterSettingControls::HoldToRange)
        : m_controls(label, minimum, maximum, std::move(get), std::move(set), limit) {}

private:
    CBK_FilterSettingControls m_controls;
};

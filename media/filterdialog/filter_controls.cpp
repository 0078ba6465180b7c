#include "media/filterdialog/filter_controls.h"

#include <functional>
#include <string>
#include <vector>

#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/distort_filters.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"
#include "ui/base/dialog.h"
#include "ui/controls/drop_list.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/static_text.h"

bool CBK_ImageFilterControls::InitControls(CBK_Dialog&, tbx::Rect&) {
    return true;
}

bool CBK_ImageFilterControls::KillControls() {
    return true;
}

bool CBK_ImageFilterControls::OnCommand(uint32_t, tbx::EventRef&) {
    return false;
}

void BK_ExpandDialogHeight(CBK_Dialog& dialog, int32_t pixels) {
    dialog.SetHeight(dialog.GetHeight() + pixels);
}

namespace {

// One numeric setting: its label, range, edit mode and the filter's getter and setter.
struct Setting {
    const wchar_t* label;
    int32_t minimum, maximum;
    CBK_ControlEditBox::FILTER_TYPE mode;
    std::function<int32_t()> get;
    std::function<void(int32_t)> set;
    // An angle: values above the range wrap instead of stopping at the maximum.
    bool wraps = false;
};

// A label, an edit box and a slider for one setting.
class SettingGroup {
public:
    SettingGroup(Setting setting, uint32_t labelId, uint32_t sliderId, uint32_t editId)
        : m_setting(std::move(setting)), m_nLabelId(labelId), m_nSliderId(sliderId),
          m_nEditId(editId) {}

    bool Init(CBK_Dialog& dialog, int32_t left, int32_t top) {
        tbx::Rect label{int16_t(top), int16_t(left), int16_t(top + 16), int16_t(left + 58)};
        tbx::Rect edit{int16_t(top), int16_t(left + 133), int16_t(top + 16), int16_t(left + 162)};
        tbx::Rect slider{int16_t(top + 24), int16_t(left), int16_t(top + 36), int16_t(left + 208)};
        if (!m_label.Create(dialog, m_nLabelId, label, m_setting.label) ||
            !m_edit.Create(dialog, m_nEditId, edit, L"", 0) ||
            !m_slider.Create(dialog, m_nSliderId, slider, L""))
            return false;
        m_edit.EnableMultiline(false);
        m_edit.SetFilter(m_setting.mode);
        m_edit.SetOnEnterKeyCallback(_OnEnter, this);
        m_edit.SetTextWithNumber(m_setting.get(), true);
        m_slider.SetRange(m_setting.minimum, m_setting.maximum, false);
        m_slider.SetPosition(m_setting.get(), true);
        return true;
    }

    void Kill() {
        m_label.Destroy();
        m_edit.Destroy();
        m_slider.Destroy();
    }

    bool OnCommand(uint32_t code) {
        if (code == m_nSliderId)
            OnSlider();
        else if (code == m_nEditId)
            OnEdit();
        else
            return false;
        return true;
    }

    void OnEdit() {
        int32_t value = m_edit.GetTextAsNumber();
        if (value < m_setting.minimum) {
            value = m_setting.minimum;
            m_edit.SetTextWithNumber(value, true);
        } else if (value > m_setting.maximum) {
            value = m_setting.wraps ? value % (m_setting.maximum + 1) : m_setting.maximum;
            m_edit.SetTextWithNumber(value, true);
        }
        if (value != m_setting.get())
            m_setting.set(value);
        m_slider.SetPosition(m_setting.get(), true);
    }

    void OnSlider() {
        const int32_t value = m_slider.GetPosition();
        if (value != m_setting.get())
            m_setting.set(value);
        m_edit.SetTextWithNumber(m_setting.get(), true);
    }

private:
    static void _OnEnter(CBK_ControlEditBox&, void* data) {
        static_cast<SettingGroup*>(data)->OnEdit();
    }

    Setting m_setting;
    uint32_t m_nLabelId, m_nSliderId, m_nEditId;
    CBK_ControlStaticText m_label;
    CBK_ControlEditBox m_edit;
    CBK_ControlSlider m_slider;
};

// One group, or brightness and contrast as two, the second 56 pixels below the first.
class SettingControls : public CBK_ImageFilterControls {
public:
    explicit SettingControls(std::vector<Setting> settings) {
        const uint32_t ids[2][3] = {{1000, 1001, 1002}, {1003, 1004, 1005}};
        for (std::size_t i = 0; i < settings.size() && i < 2; ++i)
            m_vGroups.push_back(
                std::make_unique<SettingGroup>(settings[i], ids[i][0], ids[i][1], ids[i][2]));
    }
    ~SettingControls() override { KillControls(); }

    bool InitControls(CBK_Dialog& dialog, tbx::Rect& area) override {
        BK_ExpandDialogHeight(dialog, m_vGroups.size() > 1 ? 120 : 100);
        for (std::size_t i = 0; i < m_vGroups.size(); ++i)
            if (!m_vGroups[i]->Init(dialog, area.left, area.top + int32_t(i) * 56))
                return false;
        return true;
    }
    bool KillControls() override {
        for (auto& group : m_vGroups)
            group->Kill();
        return true;
    }
    bool OnCommand(uint32_t code, tbx::EventRef&) override {
        for (auto& group : m_vGroups)
            if (group->OnCommand(code))
                return true;
        return false;
    }

private:
    std::vector<std::unique_ptr<SettingGroup>> m_vGroups;
};

class NoiseTypeControls : public CBK_ImageFilterControls {
public:
    explicit NoiseTypeControls(CBK_ImageFilterAddNoise& filter) : m_filter(filter) {}
    ~NoiseTypeControls() override { KillControls(); }

    bool InitControls(CBK_Dialog& dialog, tbx::Rect& area) override {
        BK_ExpandDialogHeight(dialog, 100);
        const int32_t left = area.left, top = area.top;
        tbx::Rect label{int16_t(top), int16_t(left), int16_t(top + 16), int16_t(left + 58)};
        tbx::Rect list{int16_t(top), int16_t(left + 62), int16_t(top + 16), int16_t(left + 212)};
        if (!m_label.Create(dialog, 1000, label, L"Type:") ||
            !m_list.Create(dialog, 1001, list, L"", 0))
            return false;
        m_list.DeleteAllItems();
        for (const wchar_t* item : {L"Uniform", L"Gaussian", L"Multiplicative Gaussian", L"Impulse",
                                    L"Laplacian", L"Poisson"})
            m_list.AppendItem(item);
        m_list.SetCurrentItem(m_filter.GetNoiseType());
        return true;
    }
    bool KillControls() override {
        m_label.Destroy();
        m_list.Destroy();
        return true;
    }
    bool OnCommand(uint32_t code, tbx::EventRef&) override {
        if (code != 1001)
            return false;
        const int32_t item = m_list.GetCurrentItem();
        if (item >= 0 && item != m_filter.GetNoiseType())
            m_filter.SetNoiseType(item);
        return true;
    }

private:
    CBK_ImageFilterAddNoise& m_filter;
    CBK_ControlStaticText m_label;
    CBK_ControlDropList m_list;
};

constexpr auto kDigits = CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER;
constexpr auto kSigned = CBK_ControlEditBox::FILTER_SIGNED_INTEGER;

template <typename F>
Setting Whole(const wchar_t* label, int32_t low, int32_t high, F& filter, int32_t (F::*get)() const,
              void (F::*set)(int32_t)) {
    return Setting{label,
                   low,
                   high,
                   kDigits,
                   [&filter, get] { return (filter.*get)(); },
                   [&filter, set](int32_t v) { (filter.*set)(v); }};
}

// A double setting shown and edited as a whole number.
template <typename F>
Setting Truncated(const wchar_t* label, int32_t low, int32_t high, F& filter) {
    return Setting{label,
                   low,
                   high,
                   kDigits,
                   [&filter] { return int32_t(BK_FilterSetting(filter.GetRadius(), -1e9, 1e9)); },
                   [&filter](int32_t v) { filter.SetRadius(double(v)); }};
}

template <typename F>
F* As(CBK_ImageFilter& filter) {
    return dynamic_cast<F*>(&filter);
}

} // namespace

std::unique_ptr<CBK_ImageFilterControls> BK_MakeFilterControls(CBK_ImageFilter& filter) {
    using Controls = std::unique_ptr<CBK_ImageFilterControls>;
    auto one = [](Setting s) { return Controls(new SettingControls({std::move(s)})); };
    if (auto* f = As<CBK_ImageFilterAddNoise>(filter))
        return Controls(new NoiseTypeControls(*f));
    if (auto* f = As<CBK_ImageFilterBlackWhite>(filter))
        return one(Whole(L"Threshold:", 0, 255, *f, &CBK_ImageFilterBlackWhite::GetThreshold,
                         &CBK_ImageFilterBlackWhite::SetThreshold));
    if (auto* f = As<CBK_ImageFilterBrightness>(filter)) {
        Setting brightness{L"Brightness:",
                           -100,
                           100,
                           kSigned,
                           [f] { return f->GetBrightnessThreshold(); },
                           [f](int32_t v) { f->SetBrightnessThreshold(v); }};
        Setting contrast{L"Contrast:",
                         -100,
                         100,
                         kSigned,
                         [f] { return f->GetContrastThreshold(); },
                         [f](int32_t v) { f->SetContrastThreshold(v); }};
        return Controls(new SettingControls({brightness, contrast}));
    }
    if (auto* f = As<CBK_ImageFilterEdge>(filter))
        return one(Truncated(L"Threshold:", 0, 10, *f));
    if (auto* f = As<CBK_ImageFilterGaussianBlur>(filter)) // and the fast blur
        return one(Truncated(L"Threshold:", 0, 10, *f));
    if (auto* f = As<CBK_ImageFilterImplode>(filter))
        return one(Whole(L"Amount:", 0, 100, *f, &CBK_ImageFilterImplode::GetAmount,
                         &CBK_ImageFilterImplode::SetAmount));
    if (auto* f = As<CBK_ImageFilterMedian>(filter))
        return one(Whole(L"Threshold:", 0, 100, *f, &CBK_ImageFilterMedian::GetThreshold,
                         &CBK_ImageFilterMedian::SetThreshold));
    if (auto* f = As<CBK_ImageFilterMotionBlur>(filter))
        return one(Whole(L"Threshold:", 0, 255, *f, &CBK_ImageFilterMotionBlur::GetThreshold,
                         &CBK_ImageFilterMotionBlur::SetThreshold));
    if (auto* f = As<CBK_ImageFilterOilPaint>(filter))
        return one(Whole(L"Threshold:", 0, 100, *f, &CBK_ImageFilterOilPaint::GetThreshold,
                         &CBK_ImageFilterOilPaint::SetThreshold));
    if (auto* f = As<CBK_ImageFilterRaiseBorders>(filter))
        return one(Whole(L"Width:", 1, 10, *f, &CBK_ImageFilterRaiseBorders::GetWidth,
                         &CBK_ImageFilterRaiseBorders::SetWidth));
    if (auto* f = As<CBK_ImageFilterSwirl>(filter)) {
        Setting angle = Whole(L"Angle:", 0, 359, *f, &CBK_ImageFilterSwirl::GetAngle,
                              &CBK_ImageFilterSwirl::SetAngle);
        angle.wraps = true;
        return one(angle);
    }
    return std::make_unique<CBK_ImageFilterControls>();
}

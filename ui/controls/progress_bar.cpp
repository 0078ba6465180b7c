#include "ui/controls/progress_bar.h"

#include <cstdint>

#include "platform/windows/controls.h"
#include "ui/base/dialog.h"

bool CBK_ControlProgressBar::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                    const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateProgressBarControl(dialog.GetWindowHandle(), &bounds, 0,
                                                               0, 100, false, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlProgressBar::SetRange(int32_t minimum, int32_t maximum, bool redraw) {
    tbx::SetControl32BitMaximum(m_hControl, maximum);
    tbx::SetControl32BitMinimum(m_hControl, minimum);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_ControlProgressBar::GetRange(int32_t& minimum, int32_t& maximum) {
    minimum = GetProgressMin();
    maximum = GetProgressMax();
    return true;
}

int32_t CBK_ControlProgressBar::GetProgressMin() {
    return tbx::GetControl32BitMinimum(m_hControl);
}

int32_t CBK_ControlProgressBar::GetProgressMax() {
    return tbx::GetControl32BitMaximum(m_hControl);
}

bool CBK_ControlProgressBar::SetProgress(int32_t value, bool redraw) {
    tbx::SetControl32BitValue(m_hControl, value);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

int32_t CBK_ControlProgressBar::GetProgress() {
    return tbx::GetControl32BitValue(m_hControl);
}

bool CBK_ControlProgressBar::SetProgressComplete() {
    return SetProgress(GetProgressMax(), true);
}

bool CBK_ControlProgressBar::IncrementProgress() {
    const int32_t value = GetProgress();
    return SetProgress(value == INT32_MAX ? value : value + 1, true);
}

bool CBK_ControlProgressBar::DecrementProgress() {
    const int32_t value = GetProgress();
    return SetProgress(value == INT32_MIN ? value : value - 1, true);
}

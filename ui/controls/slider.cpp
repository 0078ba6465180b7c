#include "ui/controls/slider.h"

#include "platform/windows/controls.h"
#include "ui/base/dialog.h"

bool CBK_ControlSlider::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                               const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateSliderControl(dialog.GetWindowHandle(), &bounds, 0, 0, 100,
                                 tbx::kControlSliderPointsDownOrRight, 5, false, nullptr, &control);
    if (!_AdoptControl(status, control))
        return false;
    m_hWnd = dialog.GetWindowHandle();
    OnInit();
    return _OnCreate(dialog, id);
}

bool CBK_ControlSlider::SetRange(int32_t minimum, int32_t maximum, bool redraw) {
    tbx::SetControl32BitMinimum(m_hControl, minimum);
    tbx::SetControl32BitMaximum(m_hControl, maximum);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_ControlSlider::SetPosition(int32_t value, bool redraw) {
    tbx::SetControl32BitValue(m_hControl, value);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

int32_t CBK_ControlSlider::GetPosition() {
    return tbx::GetControl32BitValue(m_hControl);
}

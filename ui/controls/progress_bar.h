// CBK_ControlProgressBar: a determinate progress bar with a 32-bit range, so that long runs
// (more than 32,767 steps) show their true position.
#pragma once

#include "ui/base/control.h"

class CBK_ControlProgressBar : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool SetRange(int32_t minimum, int32_t maximum, bool redraw);
    bool GetRange(int32_t& minimum, int32_t& maximum);
    int32_t GetProgressMin();
    int32_t GetProgressMax();
    bool SetProgress(int32_t value, bool redraw);
    int32_t GetProgress();
    bool SetProgressComplete();
    bool IncrementProgress();
    bool DecrementProgress();
};

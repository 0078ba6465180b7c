// CBK_ControlBevelButton: a bevel button with a push behaviour and an optional icon.
#pragma once

#include "ui/base/control.h"
#include "ui/graphics/icons.h"

class CBK_ControlBevelButton : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    int32_t GetDefaultHeight() override { return 17; }

    bool SetText(const wchar_t* text, bool redraw);
    bool GetText(wchar_t* buffer, int32_t& length);
    bool SetIcon(int32_t iconId, uint32_t kind);

protected:
    CBK_Icon m_Icon;
};

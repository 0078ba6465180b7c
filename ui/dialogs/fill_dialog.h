// CBK_FillDialog: the frame of a fill-choice dialog (fill type, colour, gradient). It shows no
// window: DoModal answers 0 and the caller's data is left as it was.
#pragma once

#include <cstdint>

#include "ui/base/dialog.h"
#include "ui/controls/color_button.h"
#include "ui/controls/drop_list.h"
#include "ui/controls/gradient_control.h"
#include "ui/graphics/gradient.h"

// What a fill choice holds; the same values as the fill button.
struct CBK_FillData {
    int32_t nType = 2;
    uint32_t nColor = 0;
    CBK_Gradient gradient;
};

class CBK_FillDialog : public CBK_Dialog {
public:
    explicit CBK_FillDialog(CBK_FillData& data) : m_Data(data) {}

    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef) { return 0; }
    bool OnInit() override { return true; }
    bool OnCommand(uint32_t, tbx::EventRef&) override { return false; }
    CBK_FillData& GetData() { return m_Data; }

private:
    CBK_FillData& m_Data;
    CBK_ControlDropList m_Type;
    CBK_ControlColorButton m_Color;
    CBK_ControlGradient m_Gradient;
};

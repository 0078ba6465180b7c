#include "ui/controls/control_positioner.h"

bool CBK_ControlPositioner::Add(CBK_Control& control, bool moveX, bool moveY, bool growWidth,
                                bool growHeight) {
    ENTRY entry;
    entry.control = &control;
    control.GetPos(entry.x, entry.y);
    control.GetSize(entry.width, entry.height);
    entry.moveX = moveX;
    entry.moveY = moveY;
    entry.growWidth = growWidth;
    entry.growHeight = growHeight;
    m_Entries.push_back(entry);
    return true;
}

void CBK_ControlPositioner::Reposition(int32_t dx, int32_t dy) {
    for (const ENTRY& e : m_Entries) {
        e.control->SetPos(e.moveX ? e.x + dx : e.x, e.moveY ? e.y + dy : e.y);
        if (e.growWidth || e.growHeight)
            e.control->SetSize(e.growWidth ? e.width + dx : e.width,
                               e.growHeight ? e.height + dy : e.height);
        e.control->Draw();
    }
}

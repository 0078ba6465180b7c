// CBK_ControlPositioner: keeps the layout of a resizable window. Each registered control is
// moved with the window's right and bottom edges or stretched with them, always from where it
// was when registered.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/base/control.h"

class CBK_ControlPositioner {
public:
    CBK_ControlPositioner() = default;
    ~CBK_ControlPositioner() { Destroy(); }

    // Records the control's position and size now; a control may be added more than once.
    bool Add(CBK_Control& control, bool moveX, bool moveY, bool growWidth, bool growHeight);
    // `dx` and `dy`: the window's size now less its size when the controls were added.
    void Reposition(int32_t dx, int32_t dy);
    void Destroy() { m_Entries.clear(); }

private:
    struct ENTRY {
        CBK_Control* control = nullptr;
        int32_t x = 0, y = 0, width = 0, height = 0;
        bool moveX = false, moveY = false, growWidth = false, growHeight = false;
    };
    std::vector<ENTRY> m_Entries;
};

// CBK_ControlToolTip sets help tags on controls. CBK_ControlToolbar manages a row of icon
// buttons that the nib defines, addressed by their command codes: each is bound to a radio
// button wrapper, given an icon, and checked, enabled and tagged by command.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/base/control.h"
#include "ui/controls/radio_button.h"

class CBK_ControlToolTip {
public:
    bool Create(tbx::WindowRef, bool) { return true; }
    bool Activate(bool) { return true; }
    bool Destroy() { return true; }
    bool RelayMsg(tbx::EventRef&) { return false; }
    bool AddTool(tbx::ControlRef control, const wchar_t* text);
    // False, nothing set, when the string id has no text.
    bool AddTool(tbx::ControlRef control, int32_t stringId);
};

struct tagTBBUTTON {
    int32_t iBitmap = -1; // index in the toolbar's icon list; negative for none
    uint32_t idCommand = 0;
    uint8_t fsState = 0;
    uint8_t fsStyle = 0;
    uint32_t dwData = 0;
    CBK_ControlRadioButton button;
};

class CBK_ControlToolbar : public CBK_Control {
public:
    using CBK_Control::Init;
    // The window and dialog number 0; the numbers are not used.
    bool Init(tbx::WindowRef window, int32_t, int32_t, int32_t, int32_t);
    bool AddIcon(int32_t iconId, uint32_t kind);
    bool AddBitmaps(int32_t, uint32_t) { return true; }
    bool AddSpacer() { return true; }
    // Binds the nib control whose code is `command`; false (nothing added) when there is none.
    bool AddButton(const wchar_t* text, uint32_t command, int32_t icon, int32_t style,
                   int32_t state);
    bool IsChecked(uint32_t command);
    bool Check(uint32_t command, bool on);
    bool EnableButton(uint32_t command, bool enable);
    // Tags the button; answers false in every case.
    bool AddToolTip(uint32_t command, int32_t stringId);
    int32_t GetButtonCount() const { return static_cast<int32_t>(m_Buttons.size()); }
    // Clamped into the list; null when it is empty.
    tagTBBUTTON* GetButton(int32_t index);

private:
    struct ICON_ENTRY {
        int32_t iconId = 0;
        uint32_t kind = 0;
    };
    tagTBBUTTON* _Find(uint32_t command);

    std::vector<std::unique_ptr<tagTBBUTTON>> m_Buttons;
    std::vector<ICON_ENTRY> m_Icons;
};

// A warning from the main nib that the user may choose not to see again (check box 'cDwm').
#pragma once

#include <cstdint>

#include "ui/base/dialog.h"
#include "ui/controls/check_box.h"

class CBK_WarningDialog : public CBK_Dialog {
public:
    explicit CBK_WarningDialog(bool& show) : m_pShow(&show) {}

    bool OnInit() override;
    // 'ok  ' sets the flag to the opposite of the check box; 'not!' leaves it.
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;

private:
    CBK_ControlCheckBox m_DontWarn;
    bool* m_pShow;
};

// 'ok  ' at once when `show` is false; otherwise the result of the nib dialog `name` (dialog
// number 60), -1 when it cannot be shown.
int32_t BK_ShowWarning(const wchar_t* name, tbx::WindowRef parent, bool unused, bool& show);
bool BK_ShowWarning(const wchar_t* name, tbx::WindowRef parent, bool& show);

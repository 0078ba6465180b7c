// CBK_QuicktimeConverterProgressDialog: the converter's own progress window, built in code:
// a bar, a message line, the time remaining and Cancel.
#pragma once

#include <cstdint>

#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/static_text.h"

class CBK_QuicktimeConverterProgressDialog : public CBK_Dialog {
public:
    ~CBK_QuicktimeConverterProgressDialog() override;
    using CBK_Dialog::DoModal;
    // Shows the window and returns at once: 0, or -1 when it cannot be made. Cancel sets
    // `cancelled`.
    int32_t DoModal(tbx::WindowRef parent, bool& cancelled);
    bool OnInit() override;
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;
    void SetProgress(int32_t percent);
    void SetMessage(const wchar_t* text);
    // "less than 1 second", "N seconds" up to a minute, then "N minutes" (rounded up);
    // negative values count as 0.
    void SetTimeRemaining(int32_t seconds);

private:
    CBK_ControlProgressBar m_ProgressBar;
    CBK_ControlStaticText m_Time;
    CBK_ControlStaticText m_Message;
    CBK_ControlButton m_Cancel;
    bool* m_pCancelled = nullptr;
};

// The prompt that asks whether to replace a file that exists: once for a single file, or in a
// batch (mode 1) with an answer that can hold for every further file.
#pragma once

#include <cstdint>

#include "core/paths/path.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/static_text.h"

// Answers of the replace prompt.
enum : int32_t {
    kBK_ReplaceThis = 1000,
    kBK_ReplaceAll = 1001,
    kBK_DontReplaceThis = 1002,
    kBK_DontReplaceAny = 1003,
    kBK_ReplaceStop = 1004,
};

class CBK_FileReplaceDialog : public CBK_Dialog {
public:
    CBK_FileReplaceDialog(CBK_Path& path, int32_t mode) : m_pPath(&path), m_nMode(mode) {}

    // A sheet on a visible parent, else a movable modal window; -1 when it cannot be shown.
    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef parent);
    bool OnInit() override;
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;

private:
    CBK_Path* m_pPath;
    CBK_ControlStaticText m_Message;
    CBK_ControlButton m_Replace;
    CBK_ControlButton m_DontReplace;
    CBK_ControlButton m_Stop;
    CBK_ControlCheckBox m_ApplyToAll;
    int32_t m_nMode;
};

// -1 when the file does not exist (nothing shown); otherwise the prompt's answer, and "don't
// replace" (1002) when the prompt cannot be shown.
int32_t BK_DoReplaceAllFileDialog(CBK_Path& path, tbx::WindowRef parent, int32_t mode);
// A caution alert whose default button is Cancel: `replace` is true only when Replace was
// hit. True.
bool BK_DoReplaceFileDialog(const wchar_t* name, tbx::WindowRef parent, bool& replace);
// True when the file does not exist; otherwise whether the user chose to replace it.
bool BK_DoReplaceFileDialog(CBK_Path& path, tbx::WindowRef parent);

// CBK_ImageWatermarkDialog: the modal window "IDD_WATERMARK" in which the user edits a job's
// watermark on a working copy, with a live preview; the job's watermark changes only on OK.
#pragma once

#include <cstdint>

#include "media/watermark/image_watermark.h"
#include "media/watermark/watermark_control.h"
#include "ui/base/dialog.h"
#include "ui/controls/check_box.h"
#include "ui/controls/color_button.h"
#include "ui/controls/drop_list.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/static_text.h"

class CBK_ImageWatermarkDialog : public CBK_Dialog {
public:
    static constexpr uint32_t kDialogNumber = 1003;

    explicit CBK_ImageWatermarkDialog(CBK_ImageWatermark& watermark);

    // 'ok  ' or 'not!'; -1 when the window cannot be loaded.
    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef parent);
    bool OnInit() override;
    bool OnCommand(uint32_t code, tbx::EventRef& event) override;
    bool OnKeyboardFocus(tbx::ControlRef newControl, tbx::ControlRef oldControl) override;
    // The controls from the job's watermark; the job's watermark from the controls.
    bool SetData();
    bool GetData();

    CBK_ImageWatermark& GetWorkingCopy() { return m_Watermark; }

private:
    // Shows the file's first frame in the preview; false, with the controls disabled, when
    // it has none. With `takeSize` the size boxes take the picture's own size.
    bool _ShowImage(const CBK_Path& path, bool takeSize);
    void _EnableControls();
    void _OnBrowse();
    void _OnPosition();
    void _RecomputePosition();
    void _OnKeepAspectRatio();
    // A size box left: a valid size goes to the working copy, any other is refused.
    void _OnSizeLeft(bool width);
    int32_t _Number(CBK_ControlEditBox& box);

    CBK_ImageWatermark& m_rWatermark;
    CBK_ImageWatermark m_Watermark;
    CBK_ControlStaticText m_txtPath;
    CBK_ControlEditBox m_edtWidth, m_edtHeight, m_edtX, m_edtY;
    CBK_ControlCheckBox m_chkKeepAspect, m_chkTransparent;
    CBK_ControlDropList m_lstPosition;
    CBK_ControlSlider m_sldAlpha;
    CBK_ControlColorButton m_btnColor;
    CBK_ControlImageWatermark m_ctlPreview;
    int32_t m_nPosition = 0;
    bool m_bHavePicture = false;
};

// The position list: 0 the position of x and y, then three rows of left, center and right
// behind a separator each. -1 for a separator or an index beyond the list.
int32_t BK_WatermarkPositionRow(int32_t index);
int32_t BK_WatermarkPositionColumn(int32_t index);
int32_t BK_WatermarkPositionIndex(int32_t hAlign, int32_t vAlign);

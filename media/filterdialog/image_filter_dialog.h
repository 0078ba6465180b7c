// CBK_ImageFilterDialog: the modal window in which the user sets up one image filter, with a
// preview of the filter applied to a picture that is filtered afresh after every change.
#pragma once

#include <cstdint>

#include "media/controls/image_control.h"
#include "media/filters/image_filter.h"
#include "media/image/image.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"

class CBK_ImageFilterDialog : public CBK_Dialog {
public:
    static constexpr uint32_t kDialogNumber = 8000;

    CBK_ImageFilterDialog() = default;
    ~CBK_ImageFilterDialog() override;

    // 'ok  ', 'not!', or -1 when the window cannot be made or closes another way. The filter
    // builds and handles its own setting controls in the window, and keeps the settings left
    // in them whichever way the dialog ends.
    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef parent, CBK_Image& image, CBK_ImageFilter& filter);
    bool OnInit() override;
    bool OnCommand(uint32_t code, tbx::EventRef& event) override;
    bool OnNotify(int32_t code, int32_t data) override;
    bool OnScroll(int32_t code, int32_t data);
    // The preview becomes the filtered copy of the source.
    void OnImageFilterSettingsChanged(CBK_ImageFilter* changed);
    // Removes this dialog's handler from the filter and forgets it.
    void Destroy();

    const CBK_Image& GetPreview() const { return m_imgPreview; }
    CBK_ControlImage& GetPreviewControl() { return m_ctlPreview; }

private:
    void _Refilter();

    CBK_ImageFilter* m_pFilter = nullptr;
    CBK_Image m_imgPreview;
    CBK_Image* m_pSource = nullptr;
    CBK_ControlButton m_btnOk;
    CBK_ControlButton m_btnCancel;
    CBK_ControlImage m_ctlPreview;
};

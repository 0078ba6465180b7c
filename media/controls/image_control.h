// CBK_ControlImage: a user pane that shows a CBK_Image scaled to fit, centred, proportions
// kept, through a port of the picture's own size and a buffer of the control's size.
#pragma once

#include <cstdint>

#include "media/controls/pane_control.h"
#include "media/image/image.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

class CBK_ControlImage : public CBK_ControlPane {
public:
    CBK_ControlImage() = default;
    ~CBK_ControlImage() override;

    bool Destroy() override;
    // Makes the window buffer and installs the update handler; false without a buffer.
    bool OnInit() override;
    // Both rectangles to the whole control; the picture port anew at the control's size.
    void Reset();
    // Shows a 24-bit picture fitted into the control; true.
    bool SetImage(CBK_Image& image);
    // Paints the picture port with 0x00BBGGRR and redraws.
    void Fill(uint32_t color);
    bool OnDraw() override;

    const tbx::Rect& GetSourceRect() const { return m_rcSource; }
    const tbx::Rect& GetTargetRect() const { return m_rcTarget; }
    tbx::GWorldPtr GetWindowBuffer() const { return m_pBuffer; }

private:
    bool _MakePicturePort(int32_t width, int32_t height);

    tbx::GWorldPtr m_pBuffer = nullptr;
    tbx::GWorldPtr m_pPicture = nullptr;
    tbx::Rect m_rcSource{};
    tbx::Rect m_rcTarget{};
};

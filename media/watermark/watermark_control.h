// CBK_ControlImageWatermark: the watermark dialog's preview, a user pane that shows the
// picture fitted into it, blended as the watermark would be over a grey gradient.
#pragma once

#include <cstdint>
#include <vector>

#include "media/controls/pane_control.h"
#include "media/image/image.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"
#include "ui/graphics/gradient.h"

class CBK_ControlImageWatermark : public CBK_ControlPane {
public:
    CBK_ControlImageWatermark() = default;
    ~CBK_ControlImageWatermark() override;

    bool Destroy() override;
    // The background, the control's port and the update handler; false without a port.
    bool OnInit() override;
    // Shows the picture fitted into the control; true.
    bool SetImage(CBK_Image& image);
    void UseTransparentColor(bool use, bool redraw);
    void SetTransparentColor(uint32_t color, bool redraw);
    // Held to 0 to 255.
    void SetAlpha(int32_t alpha, bool redraw);
    bool OnDraw() override;

    const tbx::Rect& GetFittedRect() const { return m_rcFitted; }
    tbx::GWorldPtr GetPort() const { return m_pPort; }

private:
    void _BuildAlphaMap();

    CBK_Image m_imgFitted;
    CBK_Image m_imgSource;
    CBK_Gradient m_Gradient;
    std::vector<uint8_t> m_vAlphaMap;
    tbx::GWorldPtr m_pPort = nullptr;
    tbx::Rect m_rcPicture{};
    tbx::Rect m_rcFitted{};
    int32_t m_nAlpha = 255;
    uint32_t m_nTransparentColor = 0;
    bool m_bUseTransparentColor = false;
};

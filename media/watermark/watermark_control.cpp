#include "media/watermark/watermark_control.h"

#include <algorithm>

#include "core/system/pixmap.h"
#include "media/controls/fit_rect.h"
#include "media/watermark/watermark_blend.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/graphics/drawing.h"

CBK_ControlImageWatermark::~CBK_ControlImageWatermark() {
    Destroy();
}

bool CBK_ControlImageWatermark::Destroy() {
    BK_DestroyPixmap(m_pPort);
    m_vAlphaMap.clear();
    return CBK_ControlPane::Destroy();
}

bool CBK_ControlImageWatermark::OnInit() {
    m_Gradient.Create(0x444444, 0xDDDDDD);
    int32_t width = 0, height = 0;
    if (!GetSize(width, height) || width <= 0 || height <= 0)
        return false;
    BK_DestroyPixmap(m_pPort);
    if (!BK_CreatePixmap(m_pPort, uint32_t(width), uint32_t(height), 32))
        return false;
    return _InstallUpdateHandler();
}

bool CBK_ControlImageWatermark::SetImage(CBK_Image& image) {
    m_imgSource.Copy(image);
    m_imgFitted.Copy(image);
    const int32_t w = image.GetWidth(), h = image.GetHeight();
    m_rcPicture = tbx::Rect{0, 0, int16_t(h), int16_t(w)};
    int32_t cw = 0, ch = 0;
    GetSize(cw, ch);
    m_rcFitted = BK_FitImageRect(w, h, cw, ch);
    m_imgFitted.Resize(m_rcFitted.right - m_rcFitted.left, m_rcFitted.bottom - m_rcFitted.top);
    _BuildAlphaMap();
    OnDraw();
    return true;
}

void CBK_ControlImageWatermark::_BuildAlphaMap() {
    BK_BuildWatermarkAlphaMap(m_imgSource, m_nTransparentColor, m_imgFitted.GetWidth(),
                              m_imgFitted.GetHeight(), m_vAlphaMap);
}

void CBK_ControlImageWatermark::UseTransparentColor(bool use, bool redraw) {
    m_bUseTransparentColor = use;
    if (use)
        _BuildAlphaMap();
    if (redraw)
        OnDraw();
}

void CBK_ControlImageWatermark::SetTransparentColor(uint32_t color, bool redraw) {
    if (color != m_nTransparentColor) {
        m_nTransparentColor = color;
        if (m_bUseTransparentColor)
            _BuildAlphaMap();
    }
    if (redraw)
        OnDraw();
}

void CBK_ControlImageWatermark::SetAlpha(int32_t alpha, bool redraw) {
    m_nAlpha = std::clamp(alpha, 0, 255);
    if (redraw)
        OnDraw();
}

bool CBK_ControlImageWatermark::OnDraw() {
    tbx::Rect bounds{};
    if (!m_pPort || !m_hControl || !GetBounds(bounds))
        return false;
    const int32_t cw = bounds.right - bounds.left, ch = bounds.bottom - bounds.top;
    tbx::Rect whole{0, 0, int16_t(ch), int16_t(cw)};
    m_Gradient.Draw(m_pPort, whole, true);
    const int32_t w = m_imgFitted.GetWidth(), h = m_imgFitted.GetHeight();
    tbx::PixMapHandle map = tbx::GetGWorldPixMap(m_pPort);
    if (!m_imgFitted.IsEmpty() && m_imgFitted.GetBitsPerPixel() == 24 && map) {
        const bool useMap =
            m_bUseTransparentColor && m_vAlphaMap.size() >= std::size_t(w) * std::size_t(h);
        uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(map));
        const std::size_t rowBytes = std::size_t(tbx::GetPixRowBytes(map));
        // The fitted rectangle lies inside the control by construction; clip all the same.
        const int32_t columns = std::min(w, cw - m_rcFitted.left);
        for (int32_t y = 0; y < h && m_rcFitted.top + y < ch; ++y) {
            uint8_t* row = base + std::size_t(m_rcFitted.top + y) * rowBytes +
                           std::size_t(m_rcFitted.left) * 4 + 1;
            const std::size_t index = std::size_t(y) * std::size_t(w);
            BK_BlendWatermarkRow(row, 4, m_imgFitted.GetData() + index * 3,
                                 useMap ? m_vAlphaMap.data() + index : nullptr, columns, m_nAlpha);
        }
    }
    BK_BitBltPixmapToWindow(m_pPort, whole, m_hWnd, bounds, nullptr);
    return true;
}

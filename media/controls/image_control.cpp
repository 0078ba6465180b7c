#include "media/controls/image_control.h"

#include "core/system/pixmap.h"
#include "media/controls/fit_rect.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/graphics/drawing.h"

CBK_ControlImage::~CBK_ControlImage() {
    Destroy();
}

bool CBK_ControlImage::Destroy() {
    BK_DestroyPixmap(m_pBuffer);
    BK_DestroyPixmap(m_pPicture);
    return CBK_ControlPane::Destroy();
}

bool CBK_ControlImage::OnInit() {
    int32_t width = 0, height = 0;
    if (!GetSize(width, height) || width <= 0 || height <= 0)
        return false;
    BK_DestroyPixmap(m_pBuffer);
    if (!BK_CreatePixmap(m_pBuffer, uint32_t(width), uint32_t(height), 32))
        return false;
    Reset();
    return _InstallUpdateHandler();
}

bool CBK_ControlImage::_MakePicturePort(int32_t width, int32_t height) {
    BK_DestroyPixmap(m_pPicture);
    return width > 0 && height > 0 &&
           BK_CreatePixmap(m_pPicture, uint32_t(width), uint32_t(height), 32);
}

void CBK_ControlImage::Reset() {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    m_rcSource = m_rcTarget = tbx::Rect{0, 0, int16_t(height), int16_t(width)};
    _MakePicturePort(width, height);
}

bool CBK_ControlImage::SetImage(CBK_Image& image) {
    int32_t cw = 0, ch = 0;
    GetSize(cw, ch);
    const int32_t w = image.GetWidth(), h = image.GetHeight();
    m_rcSource = tbx::Rect{0, 0, int16_t(h), int16_t(w)};
    m_rcTarget = BK_FitImageRect(w, h, cw, ch);
    if (_MakePicturePort(w, h))
        image.Draw(m_pPicture, 0, 0);
    OnDraw();
    return true;
}

void CBK_ControlImage::Fill(uint32_t color) {
    tbx::PixMapHandle map = m_pPicture ? tbx::GetGWorldPixMap(m_pPicture) : nullptr;
    tbx::Rect bounds{};
    if (map && tbx::GetPortBounds(m_pPicture, &bounds)) {
        uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(map));
        const std::size_t rowBytes = std::size_t(tbx::GetPixRowBytes(map));
        for (int32_t y = 0; y < bounds.bottom - bounds.top; ++y)
            for (int32_t x = 0; x < bounds.right - bounds.left; ++x) {
                uint8_t* p = base + std::size_t(y) * rowBytes + std::size_t(x) * 4;
                p[1] = uint8_t(color);
                p[2] = uint8_t(color >> 8);
                p[3] = uint8_t(color >> 16);
            }
    }
    OnDraw();
}

bool CBK_ControlImage::OnDraw() {
    if (!m_pBuffer || !m_hControl || !tbx::IsControlVisible(m_hControl))
        return false;
    int32_t cw = 0, ch = 0;
    GetSize(cw, ch);
    BK_FastFill32Black(m_pBuffer, cw, ch);
    if (m_pPicture && m_rcTarget.right > m_rcTarget.left && m_rcTarget.bottom > m_rcTarget.top)
        BK_StretchBltPixmapToPixmap(m_pPicture, m_rcSource, m_pBuffer, m_rcTarget);
    tbx::Rect whole{0, 0, int16_t(ch), int16_t(cw)}, bounds{};
    if (!GetBounds(bounds))
        return false;
    BK_BitBltPixmapToWindow(m_pBuffer, whole, m_hWnd, bounds, nullptr);
    return true;
}

#include <algorithm>
#include <cmath>

#include "core/system/pixmap.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"
#include "ui/controls/picture.h"
#include "ui/graphics/drawing.h"

namespace {

int32_t Nearest(double v) {
    return int32_t(std::clamp(std::trunc(v + 0.5), -1e9, 1e9));
}

int16_t Coordinate(int32_t v) {
    return int16_t(std::clamp(v, -32768, 32767));
}

} // namespace

bool CBK_ControlPictureDrag::OnInit() {
    return m_Pane.Init(
        m_hControl, this, [this] { _Draw(); }, [this] { OnControlHit(); });
}

bool CBK_ControlPictureDrag::SetPicture(tbx::GWorldPtr source, const tbx::Rect& sourceRect,
                                        const tbx::Rect& frameRect) {
    const int W = m_Pane.local.right, H = m_Pane.local.bottom;
    const int pw = frameRect.right - frameRect.left, ph = frameRect.bottom - frameRect.top;
    if (W <= 0 || H <= 0 || pw <= 0 || ph <= 0 || sourceRect.right <= 0 || sourceRect.bottom <= 0)
        return false;
    int32_t fh = W != pw ? Nearest(double(ph) * W / pw) : ph, fw = W;
    if (fh > H) {
        fw = Nearest(double(W) * H / fh);
        fh = H;
    }
    fw = std::max(fw, 1);
    fh = std::max(fh, 1);
    tbx::SizeControl(m_hControl, int16_t(fw), int16_t(fh));
    tbx::GetControlBounds(m_hControl, &m_Pane.window);
    m_Pane.local = tbx::Rect{0, 0, int16_t(fh), int16_t(fw)};
    // Computed in double and held to a sane size: the frame may be far smaller than the source.
    const double iw = std::clamp(std::trunc(double(fw) / pw * sourceRect.right + 0.5), 1.0,
                                 double(kMaxImageSide));
    const double ih = std::clamp(std::trunc(double(fh) / ph * sourceRect.bottom + 0.5), 1.0,
                                 double(kMaxImageSide));
    tbx::Rect current{};
    if (m_Pane.image) {
        tbx::PixMapHandle pixels = tbx::GetGWorldPixMap(m_Pane.image);
        tbx::GetPixBounds(pixels, &current);
    }
    if (!m_Pane.image || current.right != int(iw) || current.bottom != int(ih)) {
        BK_DestroyPixmap(m_Pane.image);
        if (!BK_CreatePixmap(m_Pane.image, uint32_t(iw), uint32_t(ih), 32))
            return false;
    }
    m_rcFrame = frameRect;
    m_fXScale = iw / sourceRect.right;
    m_fYScale = ih / sourceRect.bottom;
    m_rcImage = tbx::Rect{0, 0, int16_t(ih), int16_t(iw)};
    tbx::Rect from = sourceRect, to = m_rcImage;
    BK_StretchBltPixmapToPixmap(source, from, m_Pane.image, to);
    m_rcBase = m_rcView = m_rcImage;
    m_fZoom = 1.0;
    _Draw();
    return true;
}

void CBK_ControlPictureDrag::Zoom(double zoom, bool redraw) {
    // Held so that the view stays inside 16-bit coordinates.
    m_fZoom = std::isnan(zoom) ? 1.0 : std::clamp(zoom, 0.01, 64.0);
    const int32_t baseW = m_rcBase.right - m_rcBase.left, baseH = m_rcBase.bottom - m_rcBase.top;
    const int32_t w = int32_t(baseW * m_fZoom), h = int32_t(baseH * m_fZoom);
    const int32_t viewW = m_rcView.right - m_rcView.left, viewH = m_rcView.bottom - m_rcView.top;
    const int32_t left = m_rcView.left + (viewW >> 1) - (w >> 1);
    const int32_t top = m_rcView.top + (viewH >> 1) - (h >> 1);
    m_rcView =
        tbx::Rect{Coordinate(top), Coordinate(left), Coordinate(top + h), Coordinate(left + w)};
    if (redraw)
        _Draw();
}

void CBK_ControlPictureDrag::Pan(int32_t x, int32_t y, bool redraw) {
    const int32_t dx = Nearest(x * m_fXScale), dy = Nearest(y * m_fYScale);
    m_rcView = tbx::Rect{Coordinate(m_rcBase.top + dy), Coordinate(m_rcBase.left + dx),
                         Coordinate(m_rcBase.bottom + dy), Coordinate(m_rcBase.right + dx)};
    Zoom(m_fZoom, redraw);
}

void CBK_ControlPictureDrag::SetStartValues(int32_t x, int32_t y, double zoom, bool redraw) {
    const int32_t w = m_rcBase.right - m_rcBase.left, h = m_rcBase.bottom - m_rcBase.top;
    const int32_t left = Nearest(x * m_fXScale), top = Nearest(y * m_fYScale);
    m_rcBase =
        tbx::Rect{Coordinate(top), Coordinate(left), Coordinate(top + h), Coordinate(left + w)};
    m_rcView = m_rcBase;
    Zoom(zoom, redraw);
}

void CBK_ControlPictureDrag::SetOnDragChangeCallback(DRAG_CHANGED callback, void* data) {
    m_pCallback = callback;
    m_pCallbackData = data;
}

bool CBK_ControlPictureDrag::Reset() {
    if (m_Pane.image) {
        tbx::Rect bounds;
        tbx::GetPixBounds(tbx::GetGWorldPixMap(m_Pane.image), &bounds);
        BK_FastFill32Black(m_Pane.image, bounds.right, bounds.bottom);
    }
    m_bDragging = false;
    _Draw();
    return true;
}

bool CBK_ControlPictureDrag::OnPaint() {
    _Draw();
    return true;
}

void CBK_ControlPictureDrag::_Draw() {
    if (!m_Pane.work || !m_Pane.image || !tbx::IsControlVisible(m_hControl))
        return;
    BK_FastFill32Black(m_Pane.work, m_Pane.local.right, m_Pane.local.bottom);
    tbx::Rect image = m_rcImage, view = m_rcView;
    if (image.right > image.left && view.right > view.left && view.bottom > view.top)
        BK_StretchBltPixmapToPixmap(m_Pane.image, image, m_Pane.work, view);
    BK_CopyPaneToWindow(m_Pane.work, m_hControl);
}

void CBK_ControlPictureDrag::_DoOnDragChangeCallback(bool final) {
    if (!m_pCallback)
        return;
    const double viewX = m_rcView.left + (m_rcView.right - m_rcView.left) * 0.5;
    const double viewY = m_rcView.top + (m_rcView.bottom - m_rcView.top) * 0.5;
    const double baseX = m_rcBase.left + (m_rcBase.right - m_rcBase.left) * 0.5;
    const double baseY = m_rcBase.top + (m_rcBase.bottom - m_rcBase.top) * 0.5;
    m_pCallback(Nearest((viewX - baseX) / m_fXScale), Nearest((viewY - baseY) / m_fYScale), final,
                m_pCallbackData);
}

int32_t CBK_ControlPictureDrag::OnLButtonDown() {
    m_nDistanceX = m_nDistanceY = 0;
    tbx::Point last;
    tbx::GetGlobalMouse(&last);
    tbx::QDGlobalToLocalPoint(tbx::GetWindowPort(m_hWnd), &last);
    while (tbx::StillDown()) {
        tbx::Point p;
        unsigned short result = 0;
        BK_TrackMouseLocation(m_hControl, &p, &result);
        const int32_t dx = p.h - last.h, dy = p.v - last.v;
        last = p;
        m_rcView = tbx::Rect{Coordinate(m_rcView.top + dy), Coordinate(m_rcView.left + dx),
                             Coordinate(m_rcView.bottom + dy), Coordinate(m_rcView.right + dx)};
        m_nDistanceX += dx;
        m_nDistanceY += dy;
        _Draw();
        _DoOnDragChangeCallback(false);
    }
    _DoOnDragChangeCallback(true);
    return 0;
}

int32_t CBK_ControlPictureDrag::OnControlHit() {
    if (m_bDragging && tbx::StillDown())
        OnLButtonDown();
    return 0;
}

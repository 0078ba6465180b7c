#include <algorithm>
#include <cmath>

#include "platform/windows/controls.h"
#include "platform/windows/windows.h"
#include "ui/controls/picture.h"
#include "ui/graphics/drawing.h"

namespace {

int16_t Nearest(double v) {
    return BK_NearestCoordinate(v);
}

int16_t Truncate(double v) {
    return BK_TruncatedCoordinate(v);
}

bool Empty(const tbx::Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Grips in the order they are tried: top-left, top-middle, top-right, middle-right,
// bottom-right, bottom-middle, bottom-left, middle-left; the column and row zone of each.
constexpr int kGripColumn[8] = {0, 1, 2, 2, 2, 1, 0, 0};
constexpr int kGripRow[8] = {0, 0, 0, 1, 2, 2, 2, 1};

} // namespace

bool CBK_ControlPictureCrop::OnInit() {
    return m_Pane.Init(
        m_hControl, this, [this] { _Draw(); }, [this] { OnControlHit(); });
}

bool CBK_ControlPictureCrop::SetPicture(tbx::GWorldPtr source, const tbx::Rect& sourceRect,
                                        const tbx::Rect& frameRect, const tbx::Rect& crop) {
    const int W = m_Pane.local.right, H = m_Pane.local.bottom;
    const int w = sourceRect.right, h = sourceRect.bottom;
    // Nothing to fit, and nothing to scale by, without a size.
    if (!m_Pane.image || w <= 0 || h <= 0 || frameRect.right <= 0 || frameRect.bottom <= 0)
        return false;
    int fw = w, fh = h, top = 0;
    if (W < w) {
        fh = Nearest(double(W) * h / w);
        fw = W;
    }
    if (fh > H) {
        fw = Nearest(double(w) * H / h);
        fh = H;
        top = 0;
    } else {
        top = (H >> 1) - (fh >> 1);
    }
    const int left = (W >> 1) - (fw >> 1);
    m_fXScale = double(fw) / frameRect.right;
    m_fYScale = double(fh) / frameRect.bottom;
    m_rcArea = tbx::Rect{int16_t(top), int16_t(left), int16_t(top + fh), int16_t(left + fw)};
    BK_FastFill32Black(m_Pane.image, W, H);
    tbx::Rect from = sourceRect, to = m_rcArea;
    BK_StretchBltPixmapToPixmap(source, from, m_Pane.image, to);
    m_rcResult = crop;
    m_rcBox = tbx::Rect{int16_t(Nearest(crop.top * m_fYScale) + m_rcArea.top),
                        int16_t(Nearest(crop.left * m_fXScale) + m_rcArea.left),
                        int16_t(Nearest(crop.bottom * m_fYScale) + m_rcArea.top),
                        int16_t(Nearest(crop.right * m_fXScale) + m_rcArea.left)};
    _Draw();
    return true;
}

bool CBK_ControlPictureCrop::SetCropBounds(const tbx::Rect& crop, bool redraw) {
    m_rcResult = crop;
    m_rcBox = tbx::Rect{int16_t(Truncate(crop.top * m_fYScale) + m_rcArea.top),
                        int16_t(Truncate(crop.left * m_fXScale) + m_rcArea.left),
                        int16_t(Truncate(crop.bottom * m_fYScale) + m_rcArea.top),
                        int16_t(Truncate(crop.right * m_fXScale) + m_rcArea.left)};
    if (redraw)
        _Draw();
    return true;
}

void CBK_ControlPictureCrop::EnableCropping(bool enable) {
    m_bCropping = enable;
    _Draw();
}

void CBK_ControlPictureCrop::SetOnCropChangeCallback(CROP_CHANGED callback, void* data) {
    m_pCallback = callback;
    m_pCallbackData = data;
}

bool CBK_ControlPictureCrop::Reset() {
    m_bCropping = false;
    BK_FastFill32Black(m_Pane.image, m_Pane.local.right, m_Pane.local.bottom);
    _Draw();
    return true;
}

bool CBK_ControlPictureCrop::OnPaint() {
    _Draw();
    return true;
}

void CBK_ControlPictureCrop::_Draw() {
    if (!m_Pane.work || !tbx::IsControlVisible(m_hControl))
        return;
    BK_FastFill32Black(m_Pane.work, m_Pane.local.right, m_Pane.local.bottom);
    tbx::Rect area = m_rcArea;
    if (!Empty(area))
        BK_BitBltPixmapToPixmap(m_Pane.image, area, m_Pane.work, area);
    _DrawCropBox();
    BK_CopyPaneToWindow(m_Pane.work, m_hControl);
}

void CBK_ControlPictureCrop::_DrawCropBox() {
    if (!m_bCropping)
        return;
    const int L = std::min(m_rcBox.left, m_rcBox.right), R = std::max(m_rcBox.left, m_rcBox.right);
    const int T = std::min(m_rcBox.top, m_rcBox.bottom), B = std::max(m_rcBox.top, m_rcBox.bottom);
    const int hw = (R - L) / 2, hh = (B - T) / 2;
    constexpr uint32_t kXor = 0xFFFFFF;
    tbx::GWorldPtr map = m_Pane.work;
    for (int y : {T, B}) {
        BK_PaneLine(map, L + 4, y, L + hw - 4, y, kXor, true);
        BK_PaneLine(map, L + hw + 4, y, R - 4, y, kXor, true);
    }
    for (int x : {L, R}) {
        BK_PaneLine(map, x, T + 4, x, T + hh - 4, kXor, true);
        BK_PaneLine(map, x, T + hh + 4, x, B - 4, kXor, true);
    }
    const int grips[8][2] = {{L, T},      {R, T},      {R, B},      {L, B},
                             {L + hw, T}, {R, T + hh}, {R - hw, B}, {L, B - hh}};
    for (const auto& g : grips) {
        const int px = g[0], py = g[1];
        BK_PaneLine(map, px - 4, py - 4, px + 4, py - 4, kXor, true);
        BK_PaneLine(map, px - 4, py + 4, px + 4, py + 4, kXor, true);
        BK_PaneLine(map, px - 4, py - 3, px - 4, py + 3, kXor, true);
        BK_PaneLine(map, px + 4, py - 3, px + 4, py + 3, kXor, true);
    }
}

void CBK_ControlPictureCrop::_DoOnCropChangeCallback() {
    if (!m_pCallback)
        return;
    m_rcResult.left = Nearest((m_rcBox.left - m_rcArea.left) / m_fXScale);
    m_rcResult.right = Nearest((m_rcBox.right - m_rcArea.left) / m_fXScale);
    m_rcResult.top = Nearest((m_rcBox.top - m_rcArea.top) / m_fYScale);
    m_rcResult.bottom = Nearest((m_rcBox.bottom - m_rcArea.top) / m_fYScale);
    m_pCallback(m_rcResult, m_pCallbackData);
}

void CBK_ControlPictureCrop::_ChangeCropBox(int grip, int32_t dx, int32_t dy) {
    auto moveX = [&](int16_t& edge) {
        edge = int16_t(std::clamp<int32_t>(edge + dx, m_rcArea.left, m_rcArea.right));
    };
    auto moveY = [&](int16_t& edge) {
        edge = int16_t(std::clamp<int32_t>(edge + dy, m_rcArea.top, m_rcArea.bottom));
    };
    if (kGripColumn[grip] == 0)
        moveX(m_rcBox.left);
    if (kGripColumn[grip] == 2)
        moveX(m_rcBox.right);
    if (kGripRow[grip] == 0)
        moveY(m_rcBox.top);
    if (kGripRow[grip] == 2)
        moveY(m_rcBox.bottom);
}

void CBK_ControlPictureCrop::_MoveCropBox(int32_t dx, int32_t dy) {
    const int32_t w = m_rcBox.right - m_rcBox.left, h = m_rcBox.bottom - m_rcBox.top;
    int32_t left = m_rcBox.left + dx, top = m_rcBox.top + dy;
    // Pushed back against the side it left, with its size kept.
    left = std::max<int32_t>(std::min<int32_t>(left, m_rcArea.right - w), m_rcArea.left);
    top = std::max<int32_t>(std::min<int32_t>(top, m_rcArea.bottom - h), m_rcArea.top);
    m_rcBox = tbx::Rect{int16_t(top), int16_t(left), int16_t(top + h), int16_t(left + w)};
}

void CBK_ControlPictureCrop::_FixCropBounds() {
    if (m_rcBox.left > m_rcBox.right)
        std::swap(m_rcBox.left, m_rcBox.right);
    if (m_rcBox.top > m_rcBox.bottom)
        std::swap(m_rcBox.top, m_rcBox.bottom);
}

bool CBK_ControlPictureCrop::OnLButtonDown(int32_t x, int32_t y, uint32_t) {
    if (!m_bCropping)
        return false;
    const int32_t L = m_rcBox.left + m_Pane.originX, T = m_rcBox.top + m_Pane.originY;
    const int32_t w = m_rcBox.right - m_rcBox.left, h = m_rcBox.bottom - m_rcBox.top;
    if (x < L - 4 || x > L + w + 4 || y < T - 4 || y > T + h + 4)
        return false;
    auto zone = [](int32_t p, int32_t start, int32_t size, int which) {
        const int32_t centre = start + which * (size / 2);
        return p >= centre - 4 && p <= centre + 4;
    };
    int grip = -1;
    for (int g = 0; g < 8 && grip < 0; ++g)
        if (zone(x, L, w, kGripColumn[g]) && zone(y, T, h, kGripRow[g]))
            grip = g;
    tbx::Point last{int16_t(y), int16_t(x)};
    while (tbx::StillDown()) {
        tbx::Point p;
        unsigned short result = 0;
        BK_TrackMouseLocation(m_hControl, &p, &result);
        const int32_t dx = p.h - last.h, dy = p.v - last.v;
        last = p;
        if (grip >= 0)
            _ChangeCropBox(grip, dx, dy);
        else
            _MoveCropBox(dx, dy);
        _Draw();
    }
    if (grip >= 0)
        _FixCropBounds();
    _Draw();
    _DoOnCropChangeCallback();
    return true;
}

int32_t CBK_ControlPictureCrop::OnControlHit() {
    if (!tbx::StillDown())
        return 0;
    tbx::Point p;
    tbx::GetGlobalMouse(&p);
    tbx::QDGlobalToLocalPoint(tbx::GetWindowPort(m_hWnd), &p);
    OnLButtonDown(p.h, p.v, 0);
    return 0;
}

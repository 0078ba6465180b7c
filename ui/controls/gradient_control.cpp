#include "ui/controls/gradient_control.h"

#include <algorithm>
#include <cmath>

#include "core/system/pixmap.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"
#include "ui/base/dialog.h"
#include "ui/graphics/drawing.h"

namespace {

constexpr int kMarkerWidth = 9, kMarkerHeight = 13;

// The marker: 'k' black, 'g' light grey, 'w' white, 'd' dark grey, '.' outside the mask.
constexpr const char* kMarker[kMarkerHeight] = {
    "....k....", "...kgk...", "..kgggk..", ".kgggggk.", "kkkkkkkkk", "kwwwwwwwk", "kwkkkkkdk",
    "kwkkkkkdk", "kwkkkkkdk", "kwkkkkkdk", "kwkkkkkdk", "kwddddddk", "kkkkkkkkk"};

uint32_t Grey(int level) {
    return uint32_t(level) * 0x010101u;
}

} // namespace

CBK_ControlGradient::~CBK_ControlGradient() {
    m_Handler.Remove();
    _FreeMaps();
}

void CBK_ControlGradient::_Layout(const tbx::Rect& bounds) {
    const int16_t w = int16_t(bounds.right - bounds.left), h = int16_t(bounds.bottom - bounds.top);
    m_fWidth = float(w);
    m_nOriginX = bounds.left;
    m_nOriginY = bounds.top;
    m_rcOffscreen = tbx::Rect{0, 0, int16_t(h + 16), int16_t(w + 84)};
    m_rcPreview = tbx::Rect{2, 2, 26, 34};
    m_rcStrip = tbx::Rect{2, 42, int16_t(h + 2), int16_t(w + 42)};
    m_rcColor = tbx::Rect{2, int16_t(w + 50), 26, int16_t(w + 82)};
}

bool CBK_ControlGradient::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    _Layout(bounds);
    tbx::Rect frame{bounds.top, bounds.left, int16_t(bounds.top + m_rcOffscreen.bottom),
                    int16_t(bounds.left + m_rcOffscreen.right)};
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateUserPaneControl(dialog.GetWindowHandle(), &frame,
                                                            tbx::kControlHandlesTracking, &control);
    if (!_AdoptControl(status, control))
        return false;
    if (!_OnCreate(dialog, id))
        return false;
    return _Initialise();
}

bool CBK_ControlGradient::OnInit() {
    tbx::Rect bounds;
    if (!tbx::GetControlBounds(m_hControl, &bounds))
        return false;
    // A nib's pane is the whole control: take back the margins around the strip.
    bounds.right = int16_t(bounds.right - 84);
    bounds.bottom = int16_t(bounds.bottom - 16);
    _Layout(bounds);
    return _Initialise();
}

void CBK_ControlGradient::_FreeMaps() {
    BK_DestroyPixmap(m_pBackground);
    BK_DestroyPixmap(m_pWork);
    BK_DestroyPixmap(m_pSpare);
    BK_DestroyPixmap(m_pMarker);
    BK_DestroyPixmap(m_pMarkerMask);
}

bool CBK_ControlGradient::_Initialise() {
    tbx::SetControlReference(m_hControl, tbx::SRefCon(this));
    _FreeMaps();
    const uint32_t width = uint32_t(m_rcOffscreen.right), height = uint32_t(m_rcOffscreen.bottom);
    if (!BK_CreatePixmap(m_pBackground, width, height, 32) ||
        !BK_CreatePixmap(m_pWork, width, height, 32) || !BK_CreatePixmap(m_pSpare, 130, 130, 32) ||
        !BK_CreatePixmap(m_pMarker, kMarkerWidth, kMarkerHeight, 32) ||
        !BK_CreatePixmap(m_pMarkerMask, kMarkerWidth, kMarkerHeight, 1))
        return false;
    BK_FastFill32Gray(m_pBackground, int32_t(width), int32_t(height), 0xEE);
    _DrawBorder(m_rcPreview);
    _DrawBorder(m_rcStrip);
    _DrawBorder(m_rcColor);
    unsigned char rgb[kMarkerWidth * kMarkerHeight * 3], mask[kMarkerWidth * kMarkerHeight];
    for (int y = 0; y < kMarkerHeight; ++y)
        for (int x = 0; x < kMarkerWidth; ++x) {
            const char c = kMarker[y][x];
            const uint32_t color = c == 'g'   ? 0xC6C3C6
                                   : c == 'w' ? 0xFFFFFF
                                   : c == 'd' ? 0x848284
                                              : 0;
            unsigned char* p = rgb + 3 * (y * kMarkerWidth + x);
            p[0] = uint8_t(color >> 16);
            p[1] = uint8_t(color >> 8);
            p[2] = uint8_t(color);
            // Black is where the mask lets the picture through.
            mask[y * kMarkerWidth + x] = c == '.' ? 1 : 0;
        }
    BK_DrawRawImage(rgb, kMarkerWidth, kMarkerHeight, 24, m_pMarker);
    BK_DrawRawImage(mask, kMarkerWidth, kMarkerHeight, 1, m_pMarkerMask);
    if (!m_Handler.Install(
            m_hControl, [this] { _Draw(0xF); }, [this] { OnControlHit(); }))
        return false;
    m_pSelected = m_Gradient.GetRecord(0);
    m_bMarkerVisible = true;
    _Draw(0xF);
    return true;
}

void CBK_ControlGradient::_DrawBorder(const tbx::Rect& r) {
    const int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    BK_PaneLine(m_pBackground, rt + 2, t - 2, l - 2, t - 2, Grey(130));
    BK_PaneLine(m_pBackground, l - 2, t - 2, l - 2, b + 2, Grey(130));
    BK_PaneLine(m_pBackground, rt - 1, t - 1, l - 1, t - 1, 0);
    BK_PaneLine(m_pBackground, l - 1, t - 1, l - 1, b - 1, 0);
    BK_PaneLine(m_pBackground, l - 2, b + 1, rt + 1, b + 1, Grey(255));
    BK_PaneLine(m_pBackground, rt + 1, b + 1, rt + 1, t - 2, Grey(255));
    BK_PaneLine(m_pBackground, l - 2, b + 2, rt + 2, b + 2, Grey(195));
    BK_PaneLine(m_pBackground, rt + 2, b + 2, rt + 2, t - 2, Grey(195));
}

int32_t CBK_ControlGradient::MarkerX(float position) const {
    return m_rcStrip.left + int32_t(position * m_fWidth + 0.5f - 3.0f);
}

void CBK_ControlGradient::_DrawMarker(float position, uint32_t color) {
    const int32_t mx = MarkerX(position);
    tbx::Rect where{int16_t(m_rcStrip.bottom + 1), int16_t(mx - 2), int16_t(m_rcStrip.bottom + 14),
                    int16_t(mx + 7)};
    tbx::Rect source{0, 0, kMarkerHeight, kMarkerWidth};
    BK_MaskBitBlt(m_pWork, where, m_pMarker, source, m_pMarkerMask, source);
    BK_PaneFill(m_pWork,
                tbx::Rect{int16_t(where.top + 6), int16_t(where.left + 2),
                          int16_t(where.bottom - 2), int16_t(where.right - 2)},
                color);
}

void CBK_ControlGradient::_Draw(uint32_t parts) {
    if (!m_pWork || !m_pBackground)
        return;
    BK_BitBltPixmapToPixmap(m_pBackground, m_rcOffscreen, m_pWork, m_rcOffscreen);
    if (parts & 2)
        m_Gradient.Draw(m_pWork, m_rcStrip, true);
    if (parts & 1)
        m_Gradient.Draw(m_pWork, m_rcPreview, m_Gradient.GetType() != 0);
    if (parts & 4)
        for (std::size_t i = 0; i < m_Gradient.GetRecordCount(); ++i) {
            const CBK_Gradient::GRADIENT_RECORD* record = m_Gradient.GetRecord(i);
            if (record == m_pSelected && !m_bMarkerVisible)
                continue;
            _DrawMarker(record->fPosition, record->nColor);
        }
    if ((parts & 8) && m_pSelected)
        BK_PaneFill(m_pWork, m_rcColor, m_pSelected->nColor);
    BK_CopyPaneToWindow(m_pWork, m_hControl);
}

void CBK_ControlGradient::SetGradient(const CBK_Gradient& gradient) {
    m_Gradient = gradient;
    m_pSelected = m_Gradient.GetRecord(0);
}

bool CBK_ControlGradient::AddGradientRecord(float position) {
    if (m_Gradient.GetRecordCount() >= kMaxRecords)
        return false;
    m_pSelected = m_Gradient.AddRecord(position);
    return true;
}

bool CBK_ControlGradient::OnPaint() {
    _Draw(0xF);
    return true;
}

bool CBK_ControlGradient::OnLButtonDown(int32_t x, int32_t y, uint32_t) {
    tbx::Point p{int16_t(y), int16_t(x)};
    tbx::QDGlobalToLocalPoint(tbx::GetWindowPort(m_hWnd), &p);
    return _OnLButtonDownInMarkers(p.h, p.v) || _OnLButtonDownInCurrentColor(p.h, p.v);
}

int32_t CBK_ControlGradient::OnControlHit() {
    tbx::Point p;
    tbx::GetGlobalMouse(&p);
    OnLButtonDown(p.h, p.v, 0);
    return 0;
}

bool CBK_ControlGradient::_OnLButtonDownInMarkers(int32_t x, int32_t y) {
    x -= m_nOriginX;
    y -= m_nOriginY;
    if (y < m_rcStrip.bottom + 1 || y > m_rcStrip.bottom + 14)
        return false;
    CBK_Gradient::GRADIENT_RECORD* found = nullptr;
    for (std::size_t i = 0; i < m_Gradient.GetRecordCount() && !found; ++i) {
        const int32_t mx = MarkerX(m_Gradient.GetRecord(i)->fPosition);
        if (x >= mx - 2 && x <= mx + 7)
            found = m_Gradient.GetRecord(i);
    }
    auto clamp = [](float p) { return p > 0.0f ? std::min(p, 1.0f) : 0.0f; }; // NaN gives 0
    if (!found) {
        AddGradientRecord(clamp(float(x - m_rcStrip.left) / m_fWidth));
        _Draw(0xF);
        return true;
    }
    m_pSelected = found;
    m_bMarkerVisible = true;
    while (tbx::StillDown()) {
        tbx::Point p;
        unsigned short result = 0;
        BK_TrackMouseLocation(m_hControl, &p, &result);
        m_bMarkerVisible = p.v - m_nOriginY <= m_rcStrip.bottom + 18;
        found->fPosition = clamp(float(p.h - m_nOriginX - m_rcStrip.left) / m_fWidth);
        m_Gradient.Update();
        _Draw(0xF);
    }
    if (!m_bMarkerVisible) {
        m_pSelected = m_Gradient.RemoveRecord(found);
        m_bMarkerVisible = true;
        _Draw(0xF);
    }
    return true;
}

bool CBK_ControlGradient::_OnLButtonDownInCurrentColor(int32_t x, int32_t y) {
    if (x < m_rcColor.left + m_nOriginX || x > m_rcColor.right + m_nOriginX ||
        y < m_rcColor.top + m_nOriginY || y > m_rcColor.bottom + m_nOriginY || !m_pSelected)
        return false;
    const uint32_t c = m_pSelected->nColor;
    const tbx::RGBColor in{uint16_t((c & 0xFF) * 65535 / 255),
                           uint16_t(((c >> 8) & 0xFF) * 65535 / 255),
                           uint16_t(((c >> 16) & 0xFF) * 65535 / 255)};
    tbx::RGBColor out;
    static const unsigned char kPrompt[] = "\x0e"
                                           "Choose a color";
    if (tbx::GetColor(tbx::Point{0, 0}, kPrompt, &in, &out)) {
        m_pSelected->nColor = uint32_t(out.red / 257) | uint32_t(out.green / 257) << 8 |
                              uint32_t(out.blue / 257) << 16;
        _Draw(0xF);
    }
    return true;
}

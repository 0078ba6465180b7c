#include "media/preview/quicktime_image_control.h"

#include "media/movie/quicktime_movie.h"
#include "media/preview/preview_box.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/graphics/drawing.h"

CBK_ControlQuicktimeImage::~CBK_ControlQuicktimeImage() {
    Destroy();
}

bool CBK_ControlQuicktimeImage::Destroy() {
    if (m_Canvas)
        tbx::DisposeGWorld(m_Canvas);
    m_Canvas = nullptr;
    return CBK_ControlPane::Destroy();
}

bool CBK_ControlQuicktimeImage::OnInit() {
    int32_t width = 0, height = 0;
    if (!GetSize(width, height) || width <= 0 || height <= 0)
        return false;
    tbx::Rect bounds{0, 0, int16_t(height), int16_t(width)};
    if (m_Canvas)
        tbx::DisposeGWorld(m_Canvas);
    m_Canvas = nullptr;
    if (tbx::NewGWorld(&m_Canvas, 32, &bounds, nullptr, nullptr, 0) != tbx::noErr)
        return false;
    BK_FastFill32White(m_Canvas, width, height);
    return _InstallUpdateHandler();
}

bool CBK_ControlQuicktimeImage::SetImage(CBK_Path& path, bool fit) {
    CBK_QuicktimeMovie movie;
    int32_t width = 0, height = 0, cw = 0, ch = 0;
    if (!m_Canvas || !movie.Open(path) || !GetSize(cw, ch))
        return false;
    movie.GetSize(width, height);
    // A sound file has no picture to place.
    tbx::Rect box = BK_FitPictureBox(width, height, cw, ch, fit);
    if (box.right <= box.left || box.bottom <= box.top)
        return false;
    if (fit)
        BK_FastFill32White(m_Canvas, cw, ch);
    if (!movie.DrawToCanvas(m_Canvas, &box))
        return false;
    OnDraw();
    return true;
}

bool CBK_ControlQuicktimeImage::OnDraw() {
    tbx::Rect from{}, to{};
    if (!m_Canvas || !tbx::GetPortBounds(m_Canvas, &from) || !GetBounds(to))
        return false;
    BK_BitBltPixmapToWindow(m_Canvas, from, m_hWnd, to, nullptr);
    return true;
}

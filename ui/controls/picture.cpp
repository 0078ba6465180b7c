#include "ui/controls/picture.h"

#include <algorithm>
#include <cmath>

#include "core/system/pixmap.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "ui/base/dialog.h"
#include "ui/graphics/drawing.h"

CBK_ControlPicture::~CBK_ControlPicture() {
    Reset();
}

bool CBK_ControlPicture::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    const tbx::ControlButtonContentInfo none{tbx::kControlContentTextOnly, nullptr};
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateImageWellControl(dialog.GetWindowHandle(), &bounds, &none, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlPicture::OnInit() {
    Reset();
    tbx::ControlButtonContentInfo content;
    if (tbx::GetControlData(m_hControl, 0, tbx::kControlImageWellContentTag, sizeof content,
                            &content, nullptr) == tbx::noErr &&
        content.contentType == tbx::kControlContentPictHandle &&
        tbx::IsValidPicture(static_cast<tbx::PicHandle>(content.content)))
        m_hPicture = static_cast<tbx::PicHandle>(content.content);
    return true;
}

bool CBK_ControlPicture::Reset() {
    if (!m_hPicture)
        return true;
    const tbx::ControlButtonContentInfo none{tbx::kControlContentTextOnly, nullptr};
    tbx::OSStatus status = tbx::noErr;
    if (tbx::IsValidControlHandle(m_hControl))
        status = tbx::SetControlData(m_hControl, 0, tbx::kControlImageWellContentTag, sizeof none,
                                     &none);
    tbx::KillPicture(m_hPicture);
    m_hPicture = nullptr;
    return status == tbx::noErr;
}

bool CBK_ControlPicture::SetPicture(tbx::GWorldPtr source) {
    Reset();
    tbx::Rect bounds;
    tbx::PixMapHandle pixels = tbx::GetGWorldPixMap(source);
    if (!pixels || !tbx::GetControlBounds(m_hControl, &bounds))
        return false;
    const int16_t width = int16_t(bounds.right - bounds.left);
    const int16_t height = int16_t(bounds.bottom - bounds.top);
    tbx::GWorldPtr world = nullptr;
    if (width <= 0 || height <= 0 || !BK_CreatePixmap(world, uint32_t(width), uint32_t(height), 32))
        return false;
    tbx::Rect whole, frame{0, 0, height, width};
    tbx::GetPixBounds(pixels, &whole);
    tbx::CGrafPtr saved = nullptr;
    tbx::GetGWorld(&saved, nullptr);
    tbx::SetGWorld(world, nullptr);
    tbx::OpenCPicParams params;
    params.srcRect = frame;
    params.hRes = params.vRes = 72 << 16;
    params.version = -2;
    m_hPicture = tbx::OpenCPicture(&params);
    BK_StretchBltPixmapToPixmap(source, whole, world, frame);
    tbx::ClosePicture();
    tbx::SetGWorld(saved, nullptr);
    BK_DestroyPixmap(world);
    if (!m_hPicture)
        return false;
    const tbx::ControlButtonContentInfo content{tbx::kControlContentPictHandle, m_hPicture};
    tbx::SetControlData(m_hControl, 0, tbx::kControlImageWellContentTag, sizeof content, &content);
    tbx::Draw1Control(m_hControl);
    return true;
}

BK_PicturePane::~BK_PicturePane() {
    handler.Remove();
    Free();
}

void BK_PicturePane::Free() {
    BK_DestroyPixmap(work);
    BK_DestroyPixmap(image);
}

int16_t BK_NearestCoordinate(double v) {
    return BK_TruncatedCoordinate(v + 0.5);
}

int16_t BK_TruncatedCoordinate(double v) {
    return std::isnan(v) ? 0 : int16_t(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

bool BK_PicturePane::Init(tbx::ControlRef control, void* object, std::function<void()> draw,
                          std::function<void()> hit) {
    Free();
    tbx::SetControlReference(control, tbx::SRefCon(object));
    if (!tbx::GetControlBounds(control, &window))
        return false;
    const int width = window.right - window.left, height = window.bottom - window.top;
    local = tbx::Rect{0, 0, int16_t(height), int16_t(width)};
    originX = window.left;
    originY = window.top;
    if (width <= 0 || height <= 0 ||
        !BK_CreatePixmap(work, uint32_t(width), uint32_t(height), 32) ||
        !BK_CreatePixmap(image, uint32_t(width), uint32_t(height), 32))
        return false;
    return handler.Install(control, std::move(draw), std::move(hit));
}

#include "ui/controls/color_swatch.h"

#include "core/strings/cf_string.h"
#include "core/system/pixmap.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"

namespace {

tbx::RGBColor ToRGB(uint32_t color) {
    return {uint16_t((color & 0xFF) * 257), uint16_t(((color >> 8) & 0xFF) * 257),
            uint16_t(((color >> 16) & 0xFF) * 257)};
}

} // namespace

BK_ColorSwatch::~BK_ColorSwatch() {
    Remove();
    if (m_hPicture)
        tbx::KillPicture(m_hPicture);
}

tbx::OSStatus BK_ColorSwatch::CreateButton(tbx::WindowRef window, const tbx::Rect& bounds,
                                           const wchar_t* title, tbx::ControlRef& out) {
    CBK_CFString text(title ? title : L"");
    const tbx::ControlButtonContentInfo content{tbx::kControlContentTextOnly, nullptr};
    return tbx::CreateBevelButtonControl(window, &bounds, text, tbx::kControlBevelButtonSmallBevel,
                                         tbx::kControlBehaviorPushbutton, &content, 0, 0, 0, &out);
}

bool BK_ColorSwatch::Install(tbx::ControlRef control, std::function<void()> pick) {
    Remove();
    m_Pick = std::move(pick);
    static const tbx::EventTypeSpec kHit[] = {{tbx::kEventClassControl, tbx::kEventControlHit}};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(control), _OnHit, 1, kHit, this,
                                    &m_hHandler) == tbx::noErr;
}

void BK_ColorSwatch::Remove() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
}

tbx::OSStatus BK_ColorSwatch::_OnHit(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                     void* data) {
    auto* self = static_cast<BK_ColorSwatch*>(data);
    if (!self || !self->m_bEnabled)
        return tbx::eventNotHandledErr;
    if (self->m_Pick)
        self->m_Pick();
    return tbx::CallNextEventHandler(call, event);
}

void BK_ColorSwatch::_RemovePicture(tbx::ControlRef control) {
    if (!m_hPicture)
        return;
    const tbx::ControlButtonContentInfo text{tbx::kControlContentTextOnly, nullptr};
    tbx::SetBevelButtonContentInfo(control, &text);
    tbx::KillPicture(m_hPicture);
    m_hPicture = nullptr;
}

void BK_ColorSwatch::SetColor(tbx::ControlRef control, uint32_t color, bool redraw,
                              bool whenShown) {
    m_nColor = color;
    _RemovePicture(control);
    tbx::Rect bounds;
    if (!tbx::GetControlBounds(control, &bounds))
        return;
    const int16_t width = int16_t(bounds.right - bounds.left);
    const int16_t height = int16_t(bounds.bottom - bounds.top);
    tbx::GWorldPtr world = nullptr;
    if (width <= 0 || height <= 0 || !BK_CreatePixmap(world, uint32_t(width), uint32_t(height), 32))
        return;
    tbx::CGrafPtr savedPort = nullptr;
    tbx::GetGWorld(&savedPort, nullptr);
    tbx::SetGWorld(world, nullptr);
    tbx::OpenCPicParams params;
    params.srcRect = tbx::Rect{0, 0, height, width};
    params.hRes = params.vRes = 72 << 16;
    params.version = -2;
    m_hPicture = tbx::OpenCPicture(&params);
    const tbx::RGBColor back = ToRGB(color);
    tbx::RGBBackColor(&back);
    tbx::EraseRect(&params.srcRect);
    tbx::ClosePicture();
    tbx::SetGWorld(savedPort, nullptr);
    BK_DestroyPixmap(world);
    if (m_hPicture) {
        const tbx::ControlButtonContentInfo content{tbx::kControlContentPictHandle, m_hPicture};
        tbx::SetBevelButtonContentInfo(control, &content);
    }
    if (redraw && (!whenShown || (tbx::IsControlVisible(control) &&
                                  tbx::IsWindowVisible(tbx::GetControlOwner(control)))))
        tbx::Draw1Control(control);
}

void BK_ColorSwatch::Pick(tbx::ControlRef control) {
    static const unsigned char kPrompt[] = "\x0e"
                                           "Choose a color";
    const tbx::RGBColor in = ToRGB(m_nColor);
    tbx::RGBColor out;
    if (tbx::GetColor(tbx::Point{0, 0}, kPrompt, &in, &out))
        SetColor(control,
                 uint32_t(out.red / 257) | uint32_t(out.green / 257) << 8 |
                     uint32_t(out.blue / 257) << 16,
                 true, false);
}

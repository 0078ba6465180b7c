#include "ui/controls/url_control.h"

#include <algorithm>
#include <cwchar>

#include "core/net/url.h"
#include "core/strings/cf_string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_text.h"

CBK_ControlUrl::~CBK_ControlUrl() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
}

bool CBK_ControlUrl::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                            const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    CBK_CFString shown(text ? text : L"");
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    tbx::ControlRef control = nullptr;
    if (tbx::CreateStaticTextControl(dialog.GetWindowHandle(), &bounds, shown, &style, &control) !=
        tbx::noErr)
        return false;
    m_hControl = control;
    return _OnCreate(dialog, id) && OnInit();
}

bool CBK_ControlUrl::OnInit() {
    tbx::ControlFontStyleRec style;
    style.flags = tbx::kControlUseFaceMask | tbx::kControlUseForeColorMask;
    style.style = tbx::underline;
    style.foreColor = tbx::RGBColor{0xFFFF, 0, 0xFFFF};
    tbx::SetControlFontStyle(m_hControl, &style);
    static const tbx::EventTypeSpec kMouseDown[] = {{tbx::kEventClassMouse, tbx::kEventMouseDown}};
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    // Mouse-downs reach windows, not static texts: the window's handler picks the clicks
    // that land on the link.
    return tbx::InstallEventHandler(tbx::GetWindowEventTarget(tbx::GetControlOwner(m_hControl)),
                                    _OnMouse, 1, kMouseDown, this, &m_hHandler) == tbx::noErr;
}

tbx::OSStatus CBK_ControlUrl::_OnMouse(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                       void* data) {
    auto* self = static_cast<CBK_ControlUrl*>(data);
    tbx::Point where;
    tbx::Rect bounds;
    if (self && tbx::IsValidControlHandle(self->m_hControl) &&
        tbx::GetEventParameter(event, tbx::kEventParamMouseLocation, tbx::typeQDPoint, nullptr,
                               sizeof where, nullptr, &where) == tbx::noErr &&
        tbx::GetControlBounds(self->m_hControl, &bounds)) {
        tbx::QDGlobalToLocalPoint(tbx::GetWindowPort(tbx::GetControlOwner(self->m_hControl)),
                                  &where);
        if (where.h >= bounds.left && where.h < bounds.right && where.v >= bounds.top &&
            where.v < bounds.bottom)
            self->OnClickUrl();
    }
    return tbx::CallNextEventHandler(call, event);
}

bool CBK_ControlUrl::SetUrl(const wchar_t* url) {
    if (!url)
        return false;
    m_Url = url;
    return true;
}

bool CBK_ControlUrl::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlText(m_hControl, text, redraw);
}

bool CBK_ControlUrl::SetText(const unsigned char* pascal, bool redraw) {
    wchar_t text[256] = {};
    if (pascal)
        BK_CopyPascalStringToC(pascal, text);
    return BK_SetControlText(m_hControl, text, redraw);
}

bool CBK_ControlUrl::GetText(wchar_t* buffer, int32_t& length) {
    std::wstring text;
    if (!buffer || length <= 0 || !BK_GetControlText(m_hControl, text))
        return false;
    const std::size_t n = std::min(text.size(), std::size_t(length - 1));
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
    length = int32_t(n);
    return true;
}

bool CBK_ControlUrl::OnClickUrl() {
    if (m_Url.empty())
        return false;
    // The one launcher of addresses decides which schemes may reach the desktop.
    return CBK_Url(m_Url.c_str(), CBK_Url::METHOD_GET).Launch();
}

#include "ui/base/control.h"

#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"

CBK_Control::~CBK_Control() {
    CBK_Control::Destroy();
}

bool CBK_Control::Create(CBK_Dialog&, uint32_t, tbx::Rect&, const wchar_t*) {
    return m_hControl == nullptr;
}

bool CBK_Control::Create(CBK_Dialog&, uint32_t, tbx::Rect&, int32_t) {
    return m_hControl == nullptr;
}

bool CBK_Control::Init(uint32_t code, tbx::WindowRef& window, uint32_t dialogNo) {
    const tbx::ControlID id{code, static_cast<int32_t>(dialogNo)};
    tbx::ControlRef control = nullptr;
    if (tbx::GetControlByID(window, &id, &control) != tbx::noErr)
        return false;
    m_hControl = control;
    m_hWnd = window;
    m_nControlCode = code;
    m_nDialogNo = dialogNo;
    return OnInit();
}

bool CBK_Control::Destroy() {
    // A control that went with its window must not be disposed of a second time.
    if (m_bOwned && m_hControl && tbx::IsValidControlHandle(m_hControl))
        tbx::DisposeControl(m_hControl);
    if (m_bOwned) {
        m_hControl = nullptr;
        m_bOwned = false;
    }
    return true;
}

bool CBK_Control::OnInit() {
    return true;
}

bool CBK_Control::GetBounds(tbx::Rect& bounds) {
    if (!tbx::IsValidControlHandle(m_hControl))
        return false;
    tbx::GetControlBounds(m_hControl, &bounds);
    return true;
}

bool CBK_Control::GetPos(int32_t& x, int32_t& y) {
    tbx::Rect bounds;
    if (!GetBounds(bounds))
        return false;
    x = bounds.left;
    y = bounds.top;
    return true;
}

bool CBK_Control::SetPos(int32_t x, int32_t y) {
    tbx::MoveControl(m_hControl, BK_ClampCoordinate(x), BK_ClampCoordinate(y));
    return true;
}

int32_t CBK_Control::GetXPos() {
    tbx::Rect bounds;
    return GetBounds(bounds) ? bounds.left : 0;
}

bool CBK_Control::SetXPos(int32_t x) {
    int32_t oldX = 0, y = 0;
    GetPos(oldX, y);
    return SetPos(x, y);
}

int32_t CBK_Control::GetYPos() {
    tbx::Rect bounds;
    return GetBounds(bounds) ? bounds.top : 0;
}

bool CBK_Control::SetYPos(int32_t y) {
    int32_t x = 0, oldY = 0;
    GetPos(x, oldY);
    return SetPos(x, y);
}

bool CBK_Control::GetSize(int32_t& width, int32_t& height) {
    if (!tbx::IsValidControlHandle(m_hControl))
        return false;
    tbx::Rect bounds;
    tbx::GetControlBounds(m_hControl, &bounds);
    width = bounds.right - bounds.left;
    height = bounds.bottom - bounds.top;
    return true;
}

bool CBK_Control::SetSize(int32_t width, int32_t height) {
    tbx::SizeControl(m_hControl, BK_ClampCoordinate(width), BK_ClampCoordinate(height));
    return true;
}

int32_t CBK_Control::GetWidth() {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    return width;
}

bool CBK_Control::SetWidth(int32_t width) {
    int32_t oldWidth = 0, height = 0;
    GetSize(oldWidth, height);
    return SetSize(width, height);
}

int32_t CBK_Control::GetHeight() {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    return height;
}

bool CBK_Control::SetHeight(int32_t height) {
    int32_t width = 0, oldHeight = 0;
    GetSize(width, oldHeight);
    return SetSize(width, height);
}

bool CBK_Control::Draw() {
    tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_Control::Enable(bool enable) {
    const tbx::OSStatus status =
        enable ? tbx::ActivateControl(m_hControl) : tbx::DeactivateControl(m_hControl);
    return status == tbx::noErr;
}

bool CBK_Control::Disable() {
    return tbx::DeactivateControl(m_hControl) == tbx::noErr;
}

bool CBK_Control::Show(bool show) {
    if (show)
        tbx::ShowControl(m_hControl);
    else
        tbx::HideControl(m_hControl);
    return true;
}

bool CBK_Control::Hide() {
    tbx::HideControl(m_hControl);
    return true;
}

int32_t CBK_Control::GetDefaultHeight() {
    return 16;
}

int32_t CBK_Control::GetDefaultHPadding() {
    return 8;
}

int32_t CBK_Control::GetDefaultVPadding() {
    return 8;
}

bool CBK_Control::_AdoptControl(tbx::OSStatus status, tbx::ControlRef control) {
    if (status != tbx::noErr) {
        m_nLastError = status;
        return false;
    }
    m_hControl = control;
    return true;
}

bool CBK_Control::_OnCreate(CBK_Dialog& dialog, uint32_t code) {
    if (!m_hControl)
        return false;
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    tbx::SetControlCommandID(m_hControl, code);
    const tbx::ControlID id{code, static_cast<int32_t>(dialog.GetDialogNumber())};
    tbx::SetControlID(m_hControl, &id);
    m_hWnd = dialog.GetWindowHandle();
    m_nControlCode = code;
    m_nDialogNo = dialog.GetDialogNumber();
    if (dialog.IsPane())
        tbx::EmbedControl(m_hControl, dialog.GetPaneControl());
    SetDefaultFont();
    tbx::Draw1Control(m_hControl);
    m_bOwned = true;
    return true;
}

CBK_Dialog* CBK_Control::GetParentDialog() {
    return CBK_Dialog::GetDialogFromHandle(tbx::GetControlOwner(m_hControl));
}

bool CBK_Control::EmbedIn(tbx::ControlRef parent) {
    return tbx::EmbedControl(m_hControl, parent) == tbx::noErr;
}

bool CBK_Control::SetFocus() {
    return tbx::SetKeyboardFocus(m_hWnd, m_hControl, tbx::kControlFocusNextPart) == tbx::noErr;
}

bool CBK_Control::SetDefaultFont() {
    tbx::ControlFontStyleRec style;
    style.flags = tbx::kControlUseFontMask;
    style.font = tbx::kControlFontSmallSystemFont;
    return tbx::SetControlFontStyle(m_hControl, &style) == tbx::noErr;
}

bool BK_GetControl(uint32_t code, tbx::WindowRef& window, tbx::ControlRef& control) {
    const tbx::ControlID id{code, 0};
    return tbx::GetControlByID(window, &id, &control) == tbx::noErr;
}

bool BK_GetControl(uint32_t code, tbx::WindowRef& window, CBK_Control& control) {
    return control.Init(code, window, 0);
}

bool BK_DestroyControl(tbx::ControlRef& control) {
    if (control)
        tbx::DisposeControl(control);
    control = nullptr;
    return true;
}

bool BK_MoveControl(int32_t x, int32_t y, tbx::ControlRef& control) {
    tbx::MoveControl(control, BK_ClampCoordinate(x), BK_ClampCoordinate(y));
    return true;
}

bool BK_ResizeControl(int32_t width, int32_t height, tbx::ControlRef& control) {
    tbx::SizeControl(control, BK_ClampCoordinate(width), BK_ClampCoordinate(height));
    return true;
}

bool BK_GetControlBounds(tbx::ControlRef& control, tbx::Rect& bounds) {
    tbx::GetControlBounds(control, &bounds);
    return tbx::IsValidControlHandle(control);
}

bool BK_EnableControl(tbx::ControlRef& control, bool enable) {
    if (enable)
        tbx::EnableControl(control);
    else
        tbx::DisableControl(control);
    return true;
}

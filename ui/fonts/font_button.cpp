#include "ui/fonts/font_button.h"

#include <cwchar>

#include "platform/gestalt.h"
#include "platform/windows/events.h"
#include "platform/windows/font_panel.h"
#include "ui/controls/control_title.h"
#include "ui/fonts/font_dialog.h"

namespace {

constexpr tbx::UInt32 kShowFontPanel = tbx::FourCC("shfp");

} // namespace

CBK_ControlFontButton* CBK_ControlFontButton::s_pCurrent = nullptr;

CBK_ControlFontButton::~CBK_ControlFontButton() {
    HideFontPanel();
    if (s_pCurrent == this)
        s_pCurrent = nullptr;
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
}

bool CBK_ControlFontButton::_UsesFontPanel() {
    tbx::SInt32 version = 0;
    tbx::Gestalt(tbx::FourCC("sysv"), &version);
    return version > 0x101F && CBK_FontDialog::UseSystemFontChooser();
}

bool CBK_ControlFontButton::OnInit() {
    static const tbx::EventTypeSpec kEvents[] = {
        {tbx::kEventClassControl, tbx::kEventControlHit},
        {tbx::kEventClassCommand, tbx::kEventCommandProcess},
        {tbx::kEventClassFont, tbx::kEventFontPanelClosed},
        {tbx::kEventClassFont, tbx::kEventFontSelection}};
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    if (tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), _Handler, 4, kEvents, this,
                                 &m_hHandler) != tbx::noErr)
        return false;
    _UpdateLabel();
    return true;
}

void CBK_ControlFontButton::SetOnFontChangeCallback(FONT_CHANGED callback, void* data) {
    m_pCallback = callback;
    m_pCallbackData = data;
}

void CBK_ControlFontButton::_UpdateLabel() {
    wchar_t style[256];
    m_Font.GetStyleString(style, 256);
    wchar_t label[600];
    std::swprintf(label, 600, L"%ls %ls %d pt", m_Font.GetName(), style, int(m_Font.GetSize()));
    BK_SetControlTitle(m_hControl, label, true);
}

void CBK_ControlFontButton::SetFont(const CBK_Font& font, bool redraw) {
    m_Font = font;
    _UpdateLabel();
    if (_UsesFontPanel()) {
        tbx::ATSUStyle style = nullptr;
        if (tbx::ATSUCreateStyle(&style) == tbx::noErr) {
            tbx::ATSUFontID id = tbx::ATSUFontID(uint16_t(m_Font.GetMacFontId())) << 8 |
                                 (m_Font.GetMacFontStyle() & 0xFF);
            tbx::Fixed size = tbx::Fixed(uint32_t(m_Font.GetSize()) << 16);
            const tbx::ATSUAttributeTag tags[] = {tbx::kATSUFontTag, tbx::kATSUSizeTag};
            const tbx::ByteCount sizes[] = {sizeof id, sizeof size};
            const tbx::ATSUAttributeValuePtr values[] = {&id, &size};
            tbx::ATSUSetAttributes(style, 2, tags, sizes, values);
            tbx::SetFontInfoForSelection(tbx::kFontSelectionATSUIType, 1, &style,
                                         tbx::GetControlEventTarget(m_hControl));
            tbx::ATSUDisposeStyle(style);
        }
    }
    if (redraw)
        Draw();
}

tbx::OSStatus CBK_ControlFontButton::_ToggleFontPanel() {
    const tbx::OSStatus status = tbx::FPShowHideFontPanel();
    s_pCurrent = tbx::FPIsFontPanelVisible() ? this : nullptr;
    return status;
}

bool CBK_ControlFontButton::OnLButtonDown() {
    if (_UsesFontPanel()) {
        tbx::EventRef event = nullptr;
        if (tbx::CreateEvent(nullptr, tbx::kEventClassCommand, tbx::kEventCommandProcess, 0, 0,
                             &event) != tbx::noErr)
            return false;
        tbx::HICommand command;
        command.commandID = kShowFontPanel;
        tbx::SetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeHICommand,
                               sizeof command, &command);
        tbx::SendEventToEventTarget(event, tbx::GetControlEventTarget(m_hControl));
        tbx::ReleaseEvent(event);
        return true;
    }
    CBK_FontDialog dialog;
    const tbx::Rect frame{tbx::SInt16(m_nDialogY), tbx::SInt16(m_nDialogX),
                          tbx::SInt16(m_nDialogY + m_nDialogHeight),
                          tbx::SInt16(m_nDialogX + m_nDialogWidth)};
    if (dialog.DoModal(m_Font, m_hWnd, &frame) == int32_t(tbx::FourCC("ok  ")))
        _UpdateLabel();
    const CBK_FontDialog::FRAME& last = dialog.GetFrame();
    m_nDialogX = last.x;
    m_nDialogY = last.y;
    m_nDialogWidth = last.width;
    m_nDialogHeight = last.height;
    return true;
}

bool CBK_ControlFontButton::GetFontSelection(tbx::EventRef event) {
    tbx::SInt16 family = 0, style = 0, size = 0;
    if (tbx::GetEventParameter(event, tbx::kEventParamFMFontFamily, tbx::typeFMFontFamily, nullptr,
                               sizeof family, nullptr, &family) == tbx::noErr)
        m_Font.SetMacFontId(family);
    if (tbx::GetEventParameter(event, tbx::kEventParamFMFontStyle, tbx::typeFMFontStyle, nullptr,
                               sizeof style, nullptr, &style) == tbx::noErr)
        m_Font.SetMacFontStyle(uint16_t(style));
    if (tbx::GetEventParameter(event, tbx::kEventParamFMFontSize, tbx::typeFMFontSize, nullptr,
                               sizeof size, nullptr, &size) == tbx::noErr)
        m_Font.SetSize(size);
    _UpdateLabel();
    if (m_pCallback)
        m_pCallback(m_Font, m_pCallbackData);
    return true;
}

void CBK_ControlFontButton::HideFontPanel() {
    if (!s_pCurrent)
        return;
    if (tbx::FPIsFontPanelVisible())
        tbx::FPShowHideFontPanel();
    s_pCurrent = nullptr;
}

void CBK_ControlFontButton::GetDialogFrame(int32_t& x, int32_t& y, int32_t& width,
                                           int32_t& height) const {
    x = m_nDialogX;
    y = m_nDialogY;
    width = m_nDialogWidth;
    height = m_nDialogHeight;
}

tbx::OSStatus CBK_ControlFontButton::_Handler(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                              void* data) {
    auto* self = static_cast<CBK_ControlFontButton*>(data);
    if (!self || !self->m_bUserInteraction)
        return tbx::eventNotHandledErr;
    const tbx::UInt32 eventClass = tbx::GetEventClass(event), kind = tbx::GetEventKind(event);
    if (eventClass == tbx::kEventClassCommand) {
        tbx::HICommand command;
        if (tbx::GetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeHICommand, nullptr,
                                   sizeof command, nullptr, &command) == tbx::noErr &&
            command.commandID == kShowFontPanel)
            return self->_ToggleFontPanel();
        return tbx::CallNextEventHandler(call, event);
    }
    if (eventClass == tbx::kEventClassFont) {
        if (kind == tbx::kEventFontSelection && s_pCurrent)
            s_pCurrent->GetFontSelection(event);
        return tbx::eventNotHandledErr;
    }
    if (eventClass == tbx::kEventClassControl && kind == tbx::kEventControlHit)
        self->OnLButtonDown();
    return tbx::CallNextEventHandler(call, event);
}

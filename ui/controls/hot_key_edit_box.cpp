#include "ui/controls/hot_key_edit_box.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "core/fonts/font.h"
#include "core/strings/cf_string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_text.h"
#include "ui/graphics/keys.h"

namespace {

constexpr uint16_t kReturnKey = 36, kEnterKey = 76;

CBK_ControlHotKeyEditBox* BoxOf(tbx::ControlRef control) {
    return reinterpret_cast<CBK_ControlHotKeyEditBox*>(tbx::GetControlReference(control));
}

} // namespace

tbx::ControlKeyFilterResult BK_ControlEditBox_KeyFillterProc(tbx::ControlRef control,
                                                             tbx::SInt16* keyCode, tbx::SInt16*,
                                                             tbx::UInt16*) {
    CBK_ControlHotKeyEditBox* box = BoxOf(control);
    return box ? box->OnKeyFilterProc(keyCode) : tbx::kControlKeyFilterPassKey;
}

CBK_ControlHotKeyEditBox::~CBK_ControlHotKeyEditBox() {
    if (m_bFilterKept && tbx::IsValidControlHandle(m_hControl))
        tbx::SetControlData(m_hControl, 0, tbx::kControlEditTextKeyFilterTag,
                            sizeof m_pPreviousFilter, &m_pPreviousFilter);
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
}

bool CBK_ControlHotKeyEditBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                      const wchar_t* text) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    CBK_CFString initial(text ? text : L"");
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateEditUnicodeTextControl(
        dialog.GetWindowHandle(), &bounds, initial, false, &style, &control);
    if (!_AdoptControl(status, control))
        return false;
    return OnInit() && _OnCreate(dialog, id);
}

bool CBK_ControlHotKeyEditBox::OnInit() {
    tbx::SetControlReference(m_hControl, tbx::SRefCon(this));
    if (!m_bFilterKept) {
        tbx::GetControlData(m_hControl, 0, tbx::kControlEditTextKeyFilterTag,
                            sizeof m_pPreviousFilter, &m_pPreviousFilter, nullptr);
        m_bFilterKept = true;
    }
    tbx::ControlKeyFilterUPP filter = BK_ControlEditBox_KeyFillterProc;
    tbx::SetControlData(m_hControl, 0, tbx::kControlEditTextKeyFilterTag, sizeof filter, &filter);
    static const tbx::EventTypeSpec kKeys[] = {{tbx::kEventClassKeyboard, tbx::kEventRawKeyDown}};
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), _OnKeyboard, 1, kKeys, this,
                             &m_hHandler);
    return true;
}

tbx::OSStatus CBK_ControlHotKeyEditBox::_OnKeyboard(tbx::EventHandlerCallRef, tbx::EventRef event,
                                                    void* data) {
    if (auto* self = static_cast<CBK_ControlHotKeyEditBox*>(data))
        self->OnKeyUp(event);
    return tbx::eventNotHandledErr;
}

void CBK_ControlHotKeyEditBox::OnKeyUp(tbx::EventRef event) {
    const uint32_t code = BK_GetKeyCodeFromEvent(event);
    if (code == kReturnKey || code == kEnterKey)
        SetKeyCode(uint16_t(code));
}

tbx::ControlKeyFilterResult CBK_ControlHotKeyEditBox::OnKeyFilterProc(int16_t* keyCode) {
    if (keyCode)
        m_nKeyCode = uint16_t(*keyCode);
    SelectText();
    wchar_t name[32] = {};
    BK_KeyCodeToString(m_nKeyCode, name);
    SetText(name, true);
    return tbx::kControlKeyFilterBlockKey;
}

void CBK_ControlHotKeyEditBox::SetKeyCode(uint16_t code) {
    m_nKeyCode = code;
    wchar_t name[32] = {};
    BK_KeyCodeToString(code, name);
    SetText(name, true);
}

bool CBK_ControlHotKeyEditBox::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlText(m_hControl, text ? text : L"", redraw);
}

bool CBK_ControlHotKeyEditBox::SetText(const unsigned char* pascal, bool redraw) {
    wchar_t text[256] = {};
    if (pascal)
        BK_CopyPascalStringToC(pascal, text);
    return SetText(text, redraw);
}

int32_t CBK_ControlHotKeyEditBox::GetText(wchar_t* buffer, int32_t length) {
    if (!buffer || length <= 0)
        return 0;
    buffer[0] = L'\0';
    std::wstring text;
    if (!BK_GetControlText(m_hControl, text))
        return 0;
    // Room is kept for the terminator.
    const std::size_t n = std::min(text.size(), std::size_t(length - 1));
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
    return int32_t(BK_StringWideToUTF8(text.substr(0, n).c_str()).size());
}

int32_t CBK_ControlHotKeyEditBox::GetTextLength() {
    wchar_t buffer[256];
    return GetText(buffer, 256);
}

bool CBK_ControlHotKeyEditBox::Clear(bool redraw) {
    return SetText(L"", redraw);
}

bool CBK_ControlHotKeyEditBox::SelectText(int16_t start, int16_t end) {
    tbx::ControlEditTextSelectionRec selection{start, end};
    return tbx::SetControlData(m_hControl, 0, tbx::kControlEditTextSelectionTag, sizeof selection,
                               &selection) == tbx::noErr;
}

bool CBK_ControlHotKeyEditBox::SelectText() {
    std::wstring text;
    BK_GetControlText(m_hControl, text);
    return SelectText(0, int16_t(std::min<std::size_t>(text.size(), INT16_MAX)));
}

bool CBK_ControlHotKeyEditBox::GetSelection(int16_t& start, int16_t& end) {
    tbx::ControlEditTextSelectionRec selection;
    if (tbx::GetControlData(m_hControl, 0, tbx::kControlEditTextSelectionTag, sizeof selection,
                            &selection, nullptr) != tbx::noErr)
        return false;
    start = selection.selStart;
    end = selection.selEnd;
    return true;
}

bool CBK_ControlHotKeyEditBox::SetFont(CBK_Font& font) {
    tbx::ControlFontStyleRec style;
    style.flags = tbx::kControlUseFontMask | tbx::kControlUseFaceMask;
    style.font = int16_t(std::clamp<int32_t>(font.GetMacFontId(), INT16_MIN, INT16_MAX));
    style.style = int16_t(font.GetMacFontStyle());
    if (tbx::SetControlFontStyle(m_hControl, &style) != tbx::noErr)
        return false;
    tbx::Draw1Control(m_hControl);
    return true;
}

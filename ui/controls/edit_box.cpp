#include "ui/controls/edit_box.h"

#include <algorithm>
#include <cwctype>

#include "core/fonts/font.h"
#include "core/strings/cf_string.h"
#include "core/strings/format.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/events.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_text.h"

namespace {

constexpr int16_t kTabKeyCode = 48;

tbx::ControlKeyFilterResult KeyFilter(tbx::ControlRef control, tbx::SInt16* keyCode,
                                      tbx::SInt16* charCode, tbx::UInt16* modifiers) {
    auto* box = reinterpret_cast<CBK_ControlEditBox*>(tbx::GetControlReference(control));
    if (!box)
        return tbx::kControlKeyFilterPassKey;
    return box->OnKeyFilterProc(keyCode, charCode, modifiers) ? tbx::kControlKeyFilterPassKey
                                                              : tbx::kControlKeyFilterBlockKey;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

CBK_ControlEditBox::~CBK_ControlEditBox() {
    if (m_bHaveOldKeyFilter && tbx::IsValidControlHandle(m_hControl))
        tbx::SetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlEditTextKeyFilterTag,
                            sizeof m_hOldKeyFilter, &m_hOldKeyFilter);
    if (m_hKeyHandler)
        tbx::RemoveEventHandler(m_hKeyHandler);
    tbx::DisposeEventHandlerUPP(m_hKeyHandlerUPP);
}

bool CBK_ControlEditBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                const wchar_t* text, int32_t) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    CBK_CFString string(text ? text : L"");
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateEditUnicodeTextControl(
        dialog.GetWindowHandle(), &bounds, string, false, &style, &control);
    if (!_AdoptControl(status, control))
        return false;
    OnInit();
    return _OnCreate(dialog, id);
}

bool CBK_ControlEditBox::OnInit() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    if (!m_bHaveOldKeyFilter) {
        tbx::ControlKeyFilterUPP old = nullptr;
        if (tbx::GetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlEditTextKeyFilterTag,
                                sizeof old, &old, nullptr) == tbx::noErr) {
            m_hOldKeyFilter = old;
            m_bHaveOldKeyFilter = true;
        }
    }
    m_hKeyFilterUPP = KeyFilter;
    tbx::SetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlEditTextKeyFilterTag,
                        sizeof m_hKeyFilterUPP, &m_hKeyFilterUPP);
    return true;
}

void CBK_ControlEditBox::SetOnEnterKeyCallback(ENTER_CALLBACK callback, void* data) {
    m_pCallback = callback;
    m_pCallbackData = data;
    _InstallKeyHandler();
}

void CBK_ControlEditBox::RegisterFocusChange(CBK_Dialog& dialog) {
    m_pDialog = &dialog;
    m_pCallback = _ReportFocusChange;
    m_pCallbackData = nullptr;
    _InstallKeyHandler();
}

void CBK_ControlEditBox::_ReportFocusChange(CBK_ControlEditBox& box, void*) {
    if (box.m_pDialog)
        box.m_pDialog->OnKeyboardFocus(nullptr, box.m_hControl);
}

bool CBK_ControlEditBox::_InstallKeyHandler() {
    if (m_hKeyHandler)
        return true;
    m_hKeyHandlerUPP = tbx::NewEventHandlerUPP(_KeyHandler);
    const tbx::EventTypeSpec type{tbx::kEventClassKeyboard, tbx::kEventRawKeyDown};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), m_hKeyHandlerUPP, 1,
                                    &type, this, &m_hKeyHandler) == tbx::noErr;
}

void CBK_ControlEditBox::_FireEnter() {
    if (m_pCallback)
        m_pCallback(*this, m_pCallbackData);
}

tbx::OSStatus CBK_ControlEditBox::_KeyHandler(tbx::EventHandlerCallRef, tbx::EventRef event,
                                              void* data) {
    tbx::UInt32 keyCode = 0;
    tbx::GetEventParameter(event, tbx::kEventParamKeyCode, tbx::typeUInt32, nullptr, sizeof keyCode,
                           nullptr, &keyCode);
    if (data && keyCode == kTabKeyCode)
        static_cast<CBK_ControlEditBox*>(data)->_FireEnter();
    // The platform still moves the focus or types the key.
    return tbx::eventNotHandledErr;
}

bool CBK_ControlEditBox::OnKeyFilterProc(int16_t*, int16_t* charCode, uint16_t*) {
    const wchar_t c = charCode ? static_cast<wchar_t>(static_cast<uint16_t>(*charCode)) : 0;
    if (c == 13 || c == 10 || c == 3) {
        _FireEnter();
        if (!m_bMultiline)
            return false;
    }
    if (c == 28 || c == 29 || c == 8 || c == 127)
        return true;
    int32_t start = 0, end = 0;
    switch (m_nFilter) {
    case FILTER_ALPHA:
        return std::iswalpha(static_cast<wint_t>(c)) != 0;
    case FILTER_SIGNED_INTEGER:
        return IsDigit(c) || c == L'-';
    case FILTER_UNSIGNED_INTEGER:
        return IsDigit(c);
    case FILTER_SIGNED_DECIMAL:
    case FILTER_UNSIGNED_DECIMAL: {
        if (IsDigit(c) || (c == L'-' && m_nFilter == FILTER_SIGNED_DECIMAL))
            return true;
        if (c != L'.')
            return false;
        // One full stop in the whole text, unless the selection replaces it.
        GetSelection(start, end);
        const std::wstring text = GetText();
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == L'.' &&
                (static_cast<int32_t>(i) < start || static_cast<int32_t>(i) >= end))
                return false;
        return true;
    }
    case FILTER_IDENTIFIER:
        if (IsDigit(c)) {
            GetSelection(start, end);
            return start != 0;
        }
        return std::iswalpha(static_cast<wint_t>(c)) != 0 || c == L'_';
    default:
        return true;
    }
}

bool CBK_ControlEditBox::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlText(m_hControl, text, redraw);
}

bool CBK_ControlEditBox::SetText(int32_t stringId, bool redraw) {
    CBK_String text(stringId);
    return SetText(text.GetConstString(), redraw);
}

bool CBK_ControlEditBox::SetText(const unsigned char* pascal, bool redraw) {
    wchar_t text[256] = {};
    if (pascal)
        BK_CopyPascalStringToC(pascal, text);
    return SetText(text, redraw);
}

bool CBK_ControlEditBox::SetTextWithNumber(int32_t n, bool redraw) {
    wchar_t text[256];
    BK_NumToString(n, text);
    return SetText(text, redraw);
}

bool CBK_ControlEditBox::SetTextWithFloat(double value, uint32_t width, uint32_t precision,
                                          bool redraw) {
    const std::wstring format = BK_MakeFloatFormat(width, precision);
    return SetFormatText(redraw, format.c_str(), value);
}

bool CBK_ControlEditBox::SetFormatText(bool redraw, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const bool done = SetFormatTextV(redraw, format, arguments);
    va_end(arguments);
    return done;
}

bool CBK_ControlEditBox::SetFormatTextV(bool redraw, const wchar_t* format, va_list arguments) {
    std::wstring text;
    return BK_FormatStringV(text, format, arguments) && SetText(text.c_str(), redraw);
}

bool CBK_ControlEditBox::AddText(const wchar_t* text, bool redraw) {
    return SetText((GetText() + (text ? text : L"")).c_str(), redraw);
}

bool CBK_ControlEditBox::Clear(bool redraw) {
    return SetText(L"", redraw);
}

int32_t CBK_ControlEditBox::GetText(wchar_t* buffer, int32_t maxChars) {
    if (!buffer || maxChars <= 0)
        return 0;
    buffer[0] = 0;
    std::wstring text;
    if (!BK_GetControlText(m_hControl, text))
        return 0;
    const std::size_t n =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(maxChars - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return static_cast<int32_t>(n);
}

wchar_t* CBK_ControlEditBox::GetText(int32_t* length) {
    const std::wstring text = GetText();
    auto* out = new wchar_t[text.size() + 1];
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
    if (length)
        *length = static_cast<int32_t>(text.size());
    return out;
}

std::wstring CBK_ControlEditBox::GetText() {
    std::wstring text;
    BK_GetControlText(m_hControl, text);
    return text;
}

int32_t CBK_ControlEditBox::GetTextLength() {
    return static_cast<int32_t>(GetText().size());
}

int32_t CBK_ControlEditBox::GetTextAsNumber() {
    int32_t n = 0;
    GetTextAsNumber(n);
    return n;
}

bool CBK_ControlEditBox::GetTextAsNumber(int32_t& n) {
    const std::wstring text = GetText();
    if (text.empty())
        return false;
    BK_StringToNum(text.c_str(), n);
    return true;
}

double CBK_ControlEditBox::GetTextAsFloat() {
    double d = 0.0;
    GetTextAsFloat(d);
    return d;
}

bool CBK_ControlEditBox::GetTextAsFloat(double& d) {
    const std::wstring text = GetText();
    if (text.empty())
        return false;
    BK_StringToFloat(text.c_str(), d);
    return true;
}

bool CBK_ControlEditBox::TextIsTrue() {
    return BK_StringIsTrue(GetText().substr(0, 32).c_str());
}

bool CBK_ControlEditBox::SelectText(int32_t start, int32_t end) {
    const auto clamp = [](int32_t v) { return static_cast<int16_t>(std::clamp(v, 0, 32767)); };
    const tbx::ControlEditTextSelectionRec selection{clamp(start), clamp(end)};
    return tbx::SetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlEditTextSelectionTag,
                               sizeof selection, &selection) == tbx::noErr;
}

bool CBK_ControlEditBox::SelectText() {
    return SelectText(0, GetTextLength());
}

bool CBK_ControlEditBox::GetSelection(int32_t& start, int32_t& end) {
    tbx::ControlEditTextSelectionRec selection;
    if (tbx::GetControlData(m_hControl, tbx::kControlNoPart, tbx::kControlEditTextSelectionTag,
                            sizeof selection, &selection, nullptr) != tbx::noErr)
        return false;
    start = selection.selStart;
    end = selection.selEnd;
    return true;
}

bool CBK_ControlEditBox::SetAlignment(ALIGN_TYPE align) {
    tbx::ControlFontStyleRec style;
    if (tbx::GetControlFontStyle(m_hControl, &style) != tbx::noErr)
        return false;
    style.flags |= tbx::kControlUseJustMask;
    style.just = align == ALIGN_CENTER  ? tbx::teCenter
                 : align == ALIGN_RIGHT ? tbx::teFlushRight
                                        : tbx::teFlushDefault;
    return tbx::SetControlFontStyle(m_hControl, &style) == tbx::noErr;
}

bool CBK_ControlEditBox::SetFont(CBK_Font& font) {
    tbx::ControlFontStyleRec style;
    if (tbx::GetControlFontStyle(m_hControl, &style) != tbx::noErr)
        return false;
    style.flags |= tbx::kControlUseFontMask | tbx::kControlUseFaceMask;
    style.font = static_cast<tbx::SInt16>(font.GetMacFontId());
    style.style = static_cast<tbx::SInt16>(font.GetMacFontStyle());
    if (tbx::SetControlFontStyle(m_hControl, &style) != tbx::noErr)
        return false;
    tbx::Draw1Control(m_hControl);
    return true;
}

bool BK_CreateControlEditBox(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                             int32_t height, tbx::WindowRef& window) {
    const tbx::Rect bounds = BK_FrameAt(x, y, width, height);
    const tbx::ControlFontStyleRec style = BK_TextControlStyle();
    CBK_CFString empty(L"");
    return tbx::CreateEditUnicodeTextControl(window, &bounds, empty, false, &style, &out) ==
           tbx::noErr;
}

bool BK_SetEditTextControlText(const wchar_t* text, tbx::ControlRef& control) {
    return BK_SetControlText(control, text, true);
}

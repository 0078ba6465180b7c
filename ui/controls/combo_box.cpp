#include "ui/controls/combo_box.h"

#include <algorithm>
#include <cstdarg>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"
#include "ui/controls/popup_items.h"

CBK_ControlComboBox::~CBK_ControlComboBox() {
    CBK_ControlComboBox::Destroy();
}

bool CBK_ControlComboBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    tbx::Rect editBounds = bounds;
    tbx::Rect arrowBounds = bounds;
    editBounds.right =
        static_cast<int16_t>(std::max<int32_t>(bounds.left, bounds.right - kArrowWidth));
    arrowBounds.left = editBounds.right;
    if (!m_EditBox.Create(dialog, PairedCode(id), editBounds, L"", 0)) {
        m_nLastError = m_EditBox.GetLastError();
        return false;
    }
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    tbx::OSStatus status = tbx::CreatePopupButtonControl(dialog.GetWindowHandle(), &arrowBounds,
                                                         text, -12345, false, -1, 0, 0, &control);
    // The arrow button owns a menu of its own, so that a combo box made in code holds items.
    tbx::MenuRef menu = status == tbx::noErr ? tbx::NewMenu(9999, nullptr) : nullptr;
    if (status == tbx::noErr)
        status = tbx::SetControlData(control, tbx::kControlNoPart,
                                     tbx::kControlPopupButtonOwnedMenuRefTag, sizeof menu, &menu);
    if (status != tbx::noErr) {
        m_nLastError = status;
        tbx::DisposeMenu(menu);
        tbx::DisposeControl(control);
        m_EditBox.Destroy();
        return false;
    }
    m_hControl = control;
    m_hMenu = menu;
    return _OnCreate(dialog, id) && _InstallHandler();
}

bool CBK_ControlComboBox::OnInit() {
    if (!m_EditBox.Init(PairedCode(m_nControlCode), m_hWnd, m_nDialogNo))
        return false;
    m_hMenu = popup_items::MenuOf(m_hControl);
    return m_hMenu && _InstallHandler();
}

bool CBK_ControlComboBox::Destroy() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    m_hMenu = nullptr;
    m_EditBox.Destroy();
    return CBK_Control::Destroy();
}

bool CBK_ControlComboBox::SetEditBox(uint32_t code) {
    return m_EditBox.Init(code, m_hWnd, 0);
}

bool CBK_ControlComboBox::_InstallHandler() {
    return popup_items::InstallHitHandler(m_hControl, _HitHandler, this, m_hHandlerUPP, m_hHandler);
}

tbx::OSStatus CBK_ControlComboBox::_HitHandler(tbx::EventHandlerCallRef, tbx::EventRef,
                                               void* data) {
    auto* self = static_cast<CBK_ControlComboBox*>(data);
    if (self) {
        const int32_t item = popup_items::Current(self->m_hControl);
        if (item >= 0)
            self->m_EditBox.SetText(popup_items::Text(self->m_hMenu, item).c_str(), true);
    }
    // The dialog still gets the hit as a command.
    return tbx::eventNotHandledErr;
}

int32_t CBK_ControlComboBox::AppendItem(const wchar_t* text) {
    return popup_items::Append(m_hControl, m_hMenu, text);
}

int32_t CBK_ControlComboBox::AppendItem(int32_t stringId) {
    CBK_String text(stringId);
    return AppendItem(text.GetConstString());
}

int32_t CBK_ControlComboBox::InsertItem(const wchar_t* text, int32_t index) {
    return popup_items::Insert(m_hControl, m_hMenu, text, index);
}

int32_t CBK_ControlComboBox::InsertItem(int32_t stringId, int32_t index) {
    CBK_String text(stringId);
    return InsertItem(text.GetConstString(), index);
}

int32_t CBK_ControlComboBox::AppendSeparator() {
    return popup_items::AppendSeparator(m_hControl, m_hMenu);
}

int32_t CBK_ControlComboBox::DeleteItem(int32_t index) {
    return popup_items::Delete(m_hControl, m_hMenu, index);
}

bool CBK_ControlComboBox::DeleteAllItems() {
    return popup_items::DeleteAll(m_hControl, m_hMenu);
}

int32_t CBK_ControlComboBox::GetItemCount() {
    return popup_items::Count(m_hMenu);
}

int32_t CBK_ControlComboBox::GetCurrentItem() {
    return popup_items::Current(m_hControl);
}

bool CBK_ControlComboBox::SetCurrentItem(int32_t index) {
    if (!popup_items::Select(m_hControl, m_hMenu, index))
        return false;
    m_EditBox.SetText(popup_items::Text(m_hMenu, GetCurrentItem()).c_str(), true);
    return true;
}

bool CBK_ControlComboBox::EnableCheckMark(bool enable) {
    const tbx::Boolean flag = enable;
    return tbx::SetControlData(m_hControl, tbx::kControlNoPart,
                               tbx::kControlPopupButtonCheckCurrentTag, sizeof flag,
                               &flag) == tbx::noErr;
}

bool CBK_ControlComboBox::SetText(const wchar_t* text, bool redraw) {
    const bool done = m_EditBox.SetText(text, redraw);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return done;
}

bool CBK_ControlComboBox::SetTextWithNumber(int32_t n, bool redraw) {
    return m_EditBox.SetTextWithNumber(n, redraw);
}

bool CBK_ControlComboBox::SetFormatText(bool redraw, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const bool done = m_EditBox.SetFormatTextV(redraw, format, arguments);
    va_end(arguments);
    return done;
}

bool CBK_ControlComboBox::SetTextWithFloat(double value, uint32_t width, uint32_t precision,
                                           bool redraw) {
    return m_EditBox.SetTextWithFloat(value, width, precision, redraw);
}

bool CBK_ControlComboBox::Clear(bool redraw) {
    return m_EditBox.Clear(redraw);
}

int32_t CBK_ControlComboBox::GetText(wchar_t* buffer, int32_t maxChars) {
    return m_EditBox.GetText(buffer, maxChars);
}

int32_t CBK_ControlComboBox::GetTextAsNumber() {
    return m_EditBox.GetTextAsNumber();
}

double CBK_ControlComboBox::GetTextAsFloat() {
    return m_EditBox.GetTextAsFloat();
}

bool CBK_ControlComboBox::GetBounds(tbx::Rect& bounds) {
    tbx::Rect arrow;
    if (!m_EditBox.GetBounds(bounds) || !CBK_Control::GetBounds(arrow))
        return false;
    bounds.right = arrow.right;
    return true;
}

bool CBK_ControlComboBox::GetPos(int32_t& x, int32_t& y) {
    return m_EditBox.GetPos(x, y);
}

bool CBK_ControlComboBox::SetPos(int32_t x, int32_t y) {
    int32_t oldX = 0, oldY = 0;
    tbx::Rect arrow;
    if (!m_EditBox.GetPos(oldX, oldY) || !CBK_Control::GetBounds(arrow))
        return false;
    m_EditBox.SetPos(x, y);
    return CBK_Control::SetPos(arrow.left + (x - oldX), arrow.top + (y - oldY));
}

int32_t CBK_ControlComboBox::GetXPos() {
    return m_EditBox.GetXPos();
}

bool CBK_ControlComboBox::SetXPos(int32_t x) {
    return SetPos(x, GetYPos());
}

int32_t CBK_ControlComboBox::GetYPos() {
    return m_EditBox.GetYPos();
}

bool CBK_ControlComboBox::SetYPos(int32_t y) {
    return SetPos(GetXPos(), y);
}

bool CBK_ControlComboBox::GetSize(int32_t& width, int32_t& height) {
    int32_t editWidth = 0;
    if (!m_EditBox.GetSize(editWidth, height))
        return false;
    width = GetWidth();
    return true;
}

bool CBK_ControlComboBox::SetSize(int32_t width, int32_t height) {
    const bool w = SetWidth(width);
    const bool h = SetHeight(height);
    return w && h;
}

int32_t CBK_ControlComboBox::GetWidth() {
    tbx::Rect bounds;
    return GetBounds(bounds) ? bounds.right - bounds.left : 0;
}

bool CBK_ControlComboBox::SetWidth(int32_t width) {
    tbx::Rect edit, arrow;
    if (!m_EditBox.GetBounds(edit) || !CBK_Control::GetBounds(arrow))
        return false;
    const int32_t gap = arrow.left - edit.right;
    const int32_t arrowWidth = arrow.right - arrow.left;
    const int32_t editWidth = std::max(0, width - gap - arrowWidth);
    m_EditBox.SetWidth(editWidth);
    return CBK_Control::SetPos(edit.left + editWidth + gap, arrow.top);
}

int32_t CBK_ControlComboBox::GetHeight() {
    return m_EditBox.GetHeight();
}

bool CBK_ControlComboBox::SetHeight(int32_t height) {
    return m_EditBox.SetHeight(height);
}

bool CBK_ControlComboBox::Draw() {
    const bool edit = m_EditBox.Draw();
    return CBK_Control::Draw() && edit;
}

bool CBK_ControlComboBox::Enable(bool enable) {
    const bool edit = m_EditBox.Enable(enable);
    return CBK_Control::Enable(enable) && edit;
}

bool CBK_ControlComboBox::Disable() {
    return Enable(false);
}

bool CBK_ControlComboBox::Show(bool show) {
    const bool edit = m_EditBox.Show(show);
    return CBK_Control::Show(show) && edit;
}

bool CBK_ControlComboBox::Hide() {
    return Show(false);
}

// CBK_ControlComboBox: an edit box and a pop-up arrow button acting as one control. Picking
// an item copies its text into the edit box. In a nib, the edit box is the control whose code
// is the combo box's code with its first character replaced by 'e'.
#pragma once

#include <cstdint>

#include "platform/windows/menus.h"
#include "ui/base/control.h"
#include "ui/controls/edit_box.h"

class CBK_ControlComboBox : public CBK_Control {
public:
    static constexpr int32_t kArrowWidth = 32;

    CBK_ControlComboBox() = default;
    ~CBK_ControlComboBox() override;

    // The right-most 32 pixels of `bounds` become the arrow button, the rest the edit box.
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    // Binds the paired edit box and reads the pop-up's menu; false when either is missing.
    bool OnInit() override;
    bool Destroy() override;
    bool SetEditBox(uint32_t code);
    CBK_ControlEditBox& GetEditBox() { return m_EditBox; }
    static uint32_t PairedCode(uint32_t code) {
        return (code & 0x00FFFFFFu) | (uint32_t('e') << 24);
    }

    int32_t AppendItem(const wchar_t* text);
    int32_t AppendItem(int32_t stringId);
    int32_t InsertItem(const wchar_t* text, int32_t index);
    int32_t InsertItem(int32_t stringId, int32_t index);
    int32_t AppendSeparator();
    // The item number (from 1) deleted after clamping; -1 without a menu or item.
    int32_t DeleteItem(int32_t index);
    bool DeleteAllItems();
    int32_t GetItemCount();
    int32_t GetCurrentItem();
    // Selects and puts the item's text into the edit box; false for an empty list.
    bool SetCurrentItem(int32_t index);
    bool EnableCheckMark(bool enable);
    bool SetVisibleListHeight(int32_t) { return true; }

    bool SetText(const wchar_t* text, bool redraw);
    bool SetTextWithNumber(int32_t n, bool redraw);
    bool SetFormatText(bool redraw, const wchar_t* format, ...);
    bool SetTextWithFloat(double value, uint32_t width, uint32_t precision, bool redraw);
    bool Clear(bool redraw);
    int32_t GetText(wchar_t* buffer, int32_t maxChars);
    int32_t GetTextAsNumber();
    double GetTextAsFloat();

    bool GetBounds(tbx::Rect& bounds) override;
    bool GetPos(int32_t& x, int32_t& y) override;
    bool SetPos(int32_t x, int32_t y) override;
    int32_t GetXPos() override;
    bool SetXPos(int32_t x) override;
    int32_t GetYPos() override;
    bool SetYPos(int32_t y) override;
    bool GetSize(int32_t& width, int32_t& height) override;
    bool SetSize(int32_t width, int32_t height) override;
    int32_t GetWidth() override;
    // The arrow button keeps its width and its gap to the edit box; the edit box takes the rest.
    bool SetWidth(int32_t width) override;
    int32_t GetHeight() override;
    bool SetHeight(int32_t height) override;
    bool Draw() override;
    bool Enable(bool enable) override;
    bool Disable() override;
    bool Show(bool show) override;
    bool Hide() override;

private:
    bool _InstallHandler();
    static tbx::OSStatus _HitHandler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);

    CBK_ControlEditBox m_EditBox;
    tbx::MenuRef m_hMenu = nullptr;
    tbx::EventHandlerUPP m_hHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hHandler = nullptr;
};

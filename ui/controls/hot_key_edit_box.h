// CBK_ControlHotKeyEditBox: an edit field that captures one key: each key pressed in it
// becomes the remembered key code (no character reaches the field) and the field shows the
// key's name. Return and keypad Enter are captured from the key-down events as well.
#pragma once

#include <cstdint>

#include "platform/windows/controls.h"
#include "ui/base/control.h"

class CBK_Font;

class CBK_ControlHotKeyEditBox : public CBK_Control {
public:
    ~CBK_ControlHotKeyEditBox() override;
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool OnInit() override;
    int32_t GetDefaultHeight() override { return 16; }

    void SetKeyCode(uint16_t code);
    uint16_t GetKeyCode() const { return m_nKeyCode; }
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(const unsigned char* pascal, bool redraw);
    // At most length - 1 characters and a terminator; the number of bytes read, 0 on failure.
    int32_t GetText(wchar_t* buffer, int32_t length);
    int32_t GetTextLength();
    bool Clear(bool redraw);
    bool SelectText(int16_t start, int16_t end);
    bool SelectText();
    bool GetSelection(int16_t& start, int16_t& end);
    bool SetFont(CBK_Font& font);
    void OnKeyUp(tbx::EventRef event);
    tbx::ControlKeyFilterResult OnKeyFilterProc(int16_t* keyCode);

private:
    static tbx::OSStatus _OnKeyboard(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                     void* data);

    tbx::ControlKeyFilterUPP m_pPreviousFilter = nullptr;
    bool m_bFilterKept = false;
    tbx::EventHandlerRef m_hHandler = nullptr;
    uint16_t m_nKeyCode = 0;
};

tbx::ControlKeyFilterResult BK_ControlEditBox_KeyFillterProc(tbx::ControlRef control,
                                                             tbx::SInt16* keyCode,
                                                             tbx::SInt16* charCode,
                                                             tbx::UInt16* modifiers);

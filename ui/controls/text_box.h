// CBK_ControlTextBox: a multi-line, scrolling text view over the text engine, read-only when
// built in code.
#pragma once

#include "platform/windows/text_engine.h"
#include "ui/base/control.h"

class CBK_ControlTextBox : public CBK_Control {
public:
    using CBK_Control::Create;
    ~CBK_ControlTextBox() override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text,
                int32_t unused);
    bool OnInit() override;
    bool Show(bool show) override;
    bool Hide() override;

    // Replaces the whole text and puts the caret at 0. A box built in code stays read-only.
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(int32_t stringId, bool redraw);
    bool AddText(const wchar_t* text, bool redraw);
    bool SetReadOnly(bool readOnly);
    bool GetText(wchar_t*, int32_t&) { return false; }

    tbx::TXNObject GetTextObject() const { return m_hTextObject; }

private:
    bool _AttachTXN();
    void _DetachTXN();
    static tbx::OSStatus EventHandler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);

    tbx::Rect m_FrameRect;
    tbx::TXNObject m_hTextObject = nullptr;
    tbx::TXNFrameID m_nFrameId = 0;
    tbx::EventHandlerUPP m_hHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hHandler = nullptr;
    bool m_bReadOnly = false;
};

// CBK_ControlEditBox: the text field of every dialog. Over the platform's edit-text control it
// adds an input filter by mode, an enter callback fired by Return, Enter and Tab, a report of
// the end of editing to the owning dialog, and text access as wide text and numbers.
//
// Keys travel as the platform delivers them: the raw key-down first (Tab fires the callback
// there and goes on to move the focus), then this object's key filter (Return, Enter and the
// mode), then the edit itself.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/windows/controls.h"
#include "ui/base/control.h"

class CBK_Font;

class CBK_ControlEditBox : public CBK_Control {
public:
    enum FILTER_TYPE : int32_t {
        FILTER_NONE = 0,
        FILTER_ANY = 1,
        FILTER_ALPHA = 2,
        FILTER_SIGNED_INTEGER = 3,
        FILTER_UNSIGNED_INTEGER = 4,
        FILTER_SIGNED_DECIMAL = 5,
        FILTER_UNSIGNED_DECIMAL = 6,
        FILTER_IDENTIFIER = 7,
    };
    enum ALIGN_TYPE : int32_t { ALIGN_CENTER = 0, ALIGN_LEFT = 1, ALIGN_RIGHT = 2 };
    using ENTER_CALLBACK = void (*)(CBK_ControlEditBox& box, void* data);

    CBK_ControlEditBox() = default;
    ~CBK_ControlEditBox() override;

    // The last argument has no effect.
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text, int32_t);
    bool OnInit() override;
    int32_t GetDefaultHeight() override { return 16; }

    void SetFilter(FILTER_TYPE mode) { m_nFilter = mode; }
    FILTER_TYPE GetFilter() const { return m_nFilter; }
    void EnableMultiline(bool multiline) { m_bMultiline = multiline; }
    void SetOnEnterKeyCallback(ENTER_CALLBACK callback, void* data);
    // Return, Enter and Tab report the end of editing to `dialog` as a loss of focus.
    void RegisterFocusChange(CBK_Dialog& dialog);

    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(int32_t stringId, bool redraw);
    bool SetText(const unsigned char* pascal, bool redraw);
    bool SetTextWithNumber(int32_t n, bool redraw);
    bool SetTextWithFloat(double value, uint32_t width, uint32_t precision, bool redraw);
    // False, the text unchanged, when the text cannot be formatted.
    bool SetFormatText(bool redraw, const wchar_t* format, ...);
    bool SetFormatTextV(bool redraw, const wchar_t* format, va_list arguments);
    bool AddText(const wchar_t* text, bool redraw);
    bool Clear(bool redraw);
    // At most maxChars - 1 characters and a terminator; the number of characters copied.
    int32_t GetText(wchar_t* buffer, int32_t maxChars);
    // A new buffer of the whole text, owned by the caller (delete[]).
    wchar_t* GetText(int32_t* length);
    std::wstring GetText();
    int32_t GetTextLength();
    // 0 for an empty text; the one-argument forms fail on it and leave the value alone.
    int32_t GetTextAsNumber();
    bool GetTextAsNumber(int32_t& n);
    double GetTextAsFloat();
    bool GetTextAsFloat(double& d);
    bool TextIsTrue();
    bool SelectText(int32_t start, int32_t end);
    bool SelectText();
    bool GetSelection(int32_t& start, int32_t& end);
    bool SetAlignment(ALIGN_TYPE align);
    // The font's family and style; its size stays.
    bool SetFont(CBK_Font& font);
    bool CanUndo() { return true; }
    bool CanRedo() { return true; }

    // Pass (true) or block (false) one typed key.
    bool OnKeyFilterProc(int16_t* keyCode, int16_t* charCode, uint16_t* modifiers);

private:
    bool _InstallKeyHandler();
    void _FireEnter();
    static tbx::OSStatus _KeyHandler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);
    static void _ReportFocusChange(CBK_ControlEditBox& box, void* data);

    tbx::ControlKeyFilterUPP m_hKeyFilterUPP = nullptr;
    tbx::ControlKeyFilterUPP m_hOldKeyFilter = nullptr;
    bool m_bHaveOldKeyFilter = false;
    tbx::EventHandlerUPP m_hKeyHandlerUPP = nullptr;
    tbx::EventHandlerRef m_hKeyHandler = nullptr;
    CBK_Dialog* m_pDialog = nullptr;
    ENTER_CALLBACK m_pCallback = nullptr;
    void* m_pCallbackData = nullptr;
    FILTER_TYPE m_nFilter = FILTER_NONE;
    bool m_bMultiline = false;
};

bool BK_CreateControlEditBox(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                             int32_t height, tbx::WindowRef& window);
bool BK_SetEditTextControlText(const wchar_t* text, tbx::ControlRef& control);

// CBK_Control: the base of every control class. An object either binds a control that a nib
// window defines (Init, by its control id {code, dialog number}) or builds one in code inside
// a dialog (Create in a subclass, then _OnCreate) and then owns it.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

class CBK_Dialog;

class CBK_Control {
public:
    CBK_Control() = default;
    CBK_Control(const CBK_Control&) = delete;
    CBK_Control& operator=(const CBK_Control&) = delete;
    virtual ~CBK_Control();

    // Guards for the subclasses' Create: true only while no control is attached.
    virtual bool Create(CBK_Dialog& dialog, uint32_t code, tbx::Rect& bounds, const wchar_t* text);
    virtual bool Create(CBK_Dialog& dialog, uint32_t code, tbx::Rect& bounds, int32_t value);
    // Binds the control with id {code, dialogNo} of the window; false (nothing changed) when
    // the window has none.
    virtual bool Init(uint32_t code, tbx::WindowRef& window, uint32_t dialogNo);
    // Disposes of the control when this object created it and it still exists.
    virtual bool Destroy();
    virtual bool OnInit();
    virtual bool GetBounds(tbx::Rect& bounds);
    virtual bool GetPos(int32_t& x, int32_t& y);
    virtual bool SetPos(int32_t x, int32_t y);
    virtual int32_t GetXPos();
    virtual bool SetXPos(int32_t x);
    virtual int32_t GetYPos();
    virtual bool SetYPos(int32_t y);
    virtual bool GetSize(int32_t& width, int32_t& height);
    virtual bool SetSize(int32_t width, int32_t height);
    virtual int32_t GetWidth();
    virtual bool SetWidth(int32_t width);
    virtual int32_t GetHeight();
    virtual bool SetHeight(int32_t height);
    virtual bool Draw();
    // Activates or deactivates the control.
    virtual bool Enable(bool enable);
    virtual bool Disable();
    virtual bool Show(bool show);
    virtual bool Hide();
    virtual int32_t GetDefaultHeight();
    virtual int32_t GetDefaultHPadding();
    virtual int32_t GetDefaultVPadding();

    // Registers a control that a subclass has just built in the dialog's window.
    bool _OnCreate(CBK_Dialog& dialog, uint32_t code);
    tbx::ControlRef& GetControlHandle() { return m_hControl; }
    uint32_t GetControlId() const { return m_nControlCode; }
    int32_t GetLastError() const { return m_nLastError; }
    // The dialog of the window that holds the control; null when there is none.
    CBK_Dialog* GetParentDialog();
    bool EmbedIn(tbx::ControlRef parent);
    bool SetFocus();
    bool SetDefaultFont();
    bool OnKillFocus(tbx::ControlRef) { return false; }

protected:
    // Keeps the control a subclass has just made, or the error that kept it from being made
    // (false then).
    bool _AdoptControl(tbx::OSStatus status, tbx::ControlRef control);

    int32_t m_nLastError = 0;
    uint32_t m_nControlCode = 0;
    uint32_t m_nDialogNo = 0;
    tbx::ControlRef m_hControl = nullptr;
    tbx::WindowRef m_hWnd = nullptr;
    bool m_bOwned = false;
};

bool BK_GetControl(uint32_t code, tbx::WindowRef& window, tbx::ControlRef& control);
bool BK_GetControl(uint32_t code, tbx::WindowRef& window, CBK_Control& control);
bool BK_DestroyControl(tbx::ControlRef& control);
bool BK_MoveControl(int32_t x, int32_t y, tbx::ControlRef& control);
bool BK_ResizeControl(int32_t width, int32_t height, tbx::ControlRef& control);
bool BK_GetControlBounds(tbx::ControlRef& control, tbx::Rect& bounds);
// Enables or disables (unlike CBK_Control::Enable, which activates).
bool BK_EnableControl(tbx::ControlRef& control, bool enable);

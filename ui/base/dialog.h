// CBK_Dialog: the base of every window, modal dialog, sheet and pane. A window is loaded from
// a nib by name (or built in code), tied to its object through a window property, and gets
// its Carbon events through BK_DefaultDialogCallback, which calls the virtual handlers below;
// a handler answers true when it took the event.
#pragma once

#include <cstdint>

#include "core/paths/path.h"
#include "platform/windows/carbon_types.h"

class CBK_Control;

class CBK_Dialog {
public:
    // Creation flags of Create.
    static constexpr uint32_t kMovableModal = 0x1;
    static constexpr uint32_t kShow = 0x2;
    static constexpr uint32_t kCloseBox = 0x4;
    static constexpr uint32_t kResizable = 0x10;
    static constexpr uint32_t kSheet = 0x200000;
    static constexpr uint32_t kUtility = 0x400000;
    static constexpr uint32_t kFloating = 0x800000;

    // The window property that leads from a window (or a pane control) to its object.
    static constexpr tbx::OSType kPropertyCreator = tbx::FourCC("Qfrn");
    static constexpr tbx::OSType kPropertyTag = tbx::FourCC("DlgV");

    CBK_Dialog() = default;
    CBK_Dialog(const CBK_Dialog&) = delete;
    CBK_Dialog& operator=(const CBK_Dialog&) = delete;
    virtual ~CBK_Dialog();

    // Loads, shows and runs the window modally, then destroys it: the value given to
    // EndModal, or -1 when it could not be loaded or was closed another way.
    virtual int32_t DoModal(const tbx::IBNibRef& nib, const wchar_t* name, tbx::WindowRef parent,
                            uint32_t dialogNo);
    virtual bool PreProcessEvent(tbx::EventRef& event);
    virtual bool OnInit();
    virtual bool OnClose();
    virtual bool OnPaint();
    virtual bool OnCommand(uint32_t command, tbx::EventRef& event);
    virtual bool OnActivate(bool active);
    virtual bool OnFocus(bool focus);
    virtual bool OnSize(int32_t width, int32_t height);
    virtual bool OnSizing(tbx::Rect& bounds, int32_t edge);
    virtual bool OnMove(int32_t x, int32_t y);
    virtual bool OnHScroll(int32_t code, int32_t position);
    virtual bool OnVScroll(int32_t code, int32_t position);
    virtual bool OnShow(bool show);
    virtual bool OnNotify(int32_t code, int32_t data);
    virtual bool OnLButtonDown(int32_t x, int32_t y, uint32_t modifiers);
    virtual bool OnLButtonUp(int32_t x, int32_t y, uint32_t modifiers);
    virtual bool OnRButtonDown(int32_t x, int32_t y, uint32_t modifiers);
    virtual bool OnRButtonUp(int32_t x, int32_t y, uint32_t modifiers);
    virtual bool OnMouseMove(int32_t x, int32_t y, uint32_t modifiers);
    virtual bool OnMouseWheel(int32_t delta, tbx::EventRef& event);
    virtual void OnDragDropFile(CBK_Path& path, tbx::Point& point);
    // Hands every dropped file to OnDragDropFile in ascending order of file names.
    virtual tbx::OSStatus OnDragDrop(tbx::DragRef drag);
    virtual bool OnDragDropStart(tbx::DragRef drag);
    virtual bool OnDragDropTracking(tbx::DragRef drag);
    virtual bool OnKeyDown(tbx::EventRef& event);
    virtual bool OnKeyUp(tbx::EventRef& event);
    virtual bool OnAEOpenDoc(CBK_Path& path);
    virtual bool OnHotKeyPressed(tbx::EventHotKeyID& hotKey);
    virtual bool OnCustomEvent(uint32_t eventClass, uint32_t eventKind, tbx::EventRef& event);
    virtual bool OnKeyboardFocus(tbx::ControlRef newControl, tbx::ControlRef oldControl);
    // Fills `list` (room for 16) with the events the handler takes; returns their count.
    virtual uint32_t _GetSupportedEvents(tbx::EventTypeSpec* list);

    // Loads and initialises the window, hidden.
    bool LoadDialog(const tbx::IBNibRef& nib, const wchar_t* name, tbx::WindowRef parent,
                    uint32_t dialogNo);
    // Makes this object the dialog of the user pane {0, paneNo} of a loaded window.
    bool LoadPane(const tbx::IBNibRef& nib, int32_t paneNo, tbx::WindowRef window,
                  uint32_t dialogNo);
    bool Create(int32_t x, int32_t y, uint32_t width, uint32_t height, uint32_t flags,
                tbx::WindowRef parent, uint32_t unused = 0);
    int32_t _RunModalLoop();
    bool EndModal(int32_t result);
    // Releases the handlers and the window; a pane releases only its handler and property,
    // since its window belongs to the dialog that loaded it.
    bool Destroy();
    bool GetControl(uint32_t code, CBK_Control& control);
    bool EnableDragDrop(bool enable);
    tbx::WindowRef& GetWindowHandle() { return m_hWnd; }
    void AttachWindowHandle(tbx::WindowRef window) { m_hWnd = window; }
    static CBK_Dialog* GetDialogFromHandle(tbx::WindowRef window);
    bool _HandleEditCommands(tbx::EventRef&) { return false; }
    void _CheckKeyboardFocus(tbx::ControlRef control);

    uint32_t GetDialogNumber() const { return m_nDialogNo; }
    bool IsPane() const { return m_bIsPane; }
    tbx::ControlRef GetPaneControl() const { return m_hPaneControl; }
    bool IsInModalLoop() const { return m_bInModalLoop; }
    int32_t GetModalResult() const { return m_nModalResult; }

    // Window operations.
    bool Show(bool show = true);
    bool Hide();
    bool IsVisible();
    bool Maximize();
    bool Restore();
    bool Minimize();
    bool IsMinimized();
    bool IsMaximized();
    bool SetFocus(bool focus = true);
    bool Activate(bool activate = true);
    bool KillFocus();
    bool Deactivate();
    bool Enable(bool) { return false; }
    bool Disable() { return false; }
    bool BringToFront();
    bool SendBehind(tbx::WindowRef behind);
    bool GetBounds(tbx::Rect& bounds);
    bool SetBounds(tbx::Rect& bounds);
    bool GetPos(int32_t& x, int32_t& y);
    int32_t GetXPos();
    int32_t GetYPos();
    bool SetPos(int32_t x, int32_t y);
    bool SetXPos(int32_t x);
    bool SetYPos(int32_t y);
    bool GetSize(int32_t& width, int32_t& height);
    int32_t GetWidth();
    int32_t GetHeight();
    int32_t GetContentWidth() { return GetWidth(); }
    int32_t GetContentHeight() { return GetHeight(); }
    int32_t GetWindowWidth();
    int32_t GetWindowHeight();
    bool SetSize(int32_t width, int32_t height);
    bool SetWidth(int32_t width);
    bool SetHeight(int32_t height);
    bool CenterWindow(tbx::WindowRef parent);
    bool ConstrainToScreen();
    bool SetTitle(const wchar_t* title);
    bool SetTitle(int32_t stringId);
    // 0x00BBGGRR.
    bool SetBackgroundColor(uint32_t colour);

protected:
    bool _InstallEventHandler(tbx::EventTargetRef target);
    // Makes the new window this dialog's and installs the handler; on failure the window is
    // disposed of and false returned.
    bool _AdoptWindow(tbx::WindowRef window);
    // A window of the nib, adopted and tied to this object; false when missing.
    bool _LoadWindow(const tbx::IBNibRef& nib, const wchar_t* name);
    bool _AttachProperty();

    uint32_t m_nCreationFlags = 0;
    tbx::WindowRef m_hWnd = nullptr;
    bool m_bInModalLoop = false;
    bool m_bIsPane = false;
    tbx::WindowRef m_hParent = nullptr;
    tbx::EventHandlerRef m_hEventHandler = nullptr;
    tbx::EventHandlerUPP m_hHandlerUPP = nullptr;
    int32_t m_nModalResult = -1;
    tbx::ControlRef m_hPaneControl = nullptr;
    void* m_hDragTrackingUPP = nullptr;
    void* m_hDragReceiveUPP = nullptr;
    uint32_t m_nDialogNo = 0;
    tbx::ControlRef m_hLastHitControl = nullptr;
};

// The one event callback of every dialog: 0 when a handler took the event, 1 for a command
// that OnCommand took, eventNotHandledErr (-9874) otherwise.
tbx::OSStatus BK_DefaultDialogCallback(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                       void* userData);
CBK_Dialog* BK_GetDialogFromHandle(tbx::WindowRef window);

bool BK_ShowDialog(tbx::WindowRef& window);
bool BK_HideDialog(tbx::WindowRef& window);
bool BK_DestroyDialog(tbx::WindowRef& window);
bool BK_LoadDialog(tbx::WindowRef& window);
bool BK_UnloadDialog(tbx::WindowRef& window);
bool BK_CreateDialog(tbx::WindowRef& window, const wchar_t* title);

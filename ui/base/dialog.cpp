#include "ui/base/dialog.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "platform/windows/drag.h"
#include "platform/windows/events.h"
#include "platform/windows/nib.h"
#include "platform/windows/windows.h"
#include "ui/base/control.h"
#include "ui/base/control_bounds.h"

namespace {

tbx::WindowClass ClassOfFlags(uint32_t flags) {
    if (flags & CBK_Dialog::kMovableModal)
        return tbx::kMovableModalWindowClass;
    if (flags & CBK_Dialog::kSheet)
        return tbx::kSheetWindowClass;
    if (flags & CBK_Dialog::kFloating)
        return tbx::kFloatingWindowClass;
    if (flags & CBK_Dialog::kUtility)
        return tbx::kUtilityWindowClass;
    return tbx::kDocumentWindowClass;
}

bool IsSheet(tbx::WindowRef window) {
    tbx::WindowClass windowClass = 0;
    return tbx::GetWindowClass(window, &windowClass) == tbx::noErr &&
           windowClass == tbx::kSheetWindowClass;
}

tbx::OSErr DragTrackingHandler(tbx::DragTrackingMessage message, tbx::WindowRef, void* refCon,
                               tbx::DragRef drag) {
    auto* dialog = static_cast<CBK_Dialog*>(refCon);
    if (dialog && message == tbx::kDragTrackingEnterHandler)
        dialog->OnDragDropStart(drag);
    else if (dialog && message == tbx::kDragTrackingInWindow)
        dialog->OnDragDropTracking(drag);
    return tbx::noErr;
}

tbx::OSErr DragReceiveHandler(tbx::WindowRef, void* refCon, tbx::DragRef drag) {
    if (auto* dialog = static_cast<CBK_Dialog*>(refCon))
        dialog->OnDragDrop(drag);
    return tbx::noErr;
}

} // namespace

CBK_Dialog::~CBK_Dialog() {
    Destroy();
}

int32_t CBK_Dialog::DoModal(const tbx::IBNibRef& nib, const wchar_t* name, tbx::WindowRef,
                            uint32_t dialogNo) {
    m_nDialogNo = dialogNo;
    m_nModalResult = -1;
    if (!_LoadWindow(nib, name))
        return -1;
    OnInit();
    tbx::ShowWindow(m_hWnd);
    m_bInModalLoop = true;
    tbx::RunAppModalLoopForWindow(m_hWnd);
    m_bInModalLoop = false;
    if (m_hWnd && tbx::IsValidWindowPtr(m_hWnd)) {
        tbx::HideWindow(m_hWnd);
        Destroy();
    }
    return m_nModalResult;
}

bool CBK_Dialog::PreProcessEvent(tbx::EventRef&) {
    return false;
}

bool CBK_Dialog::OnInit() {
    return false;
}

bool CBK_Dialog::OnClose() {
    tbx::HideWindow(m_hWnd);
    if (m_bInModalLoop)
        tbx::QuitAppModalLoopForWindow(m_hWnd);
    Destroy();
    return true;
}

bool CBK_Dialog::OnPaint() {
    return false;
}
bool CBK_Dialog::OnCommand(uint32_t, tbx::EventRef&) {
    return false;
}
bool CBK_Dialog::OnActivate(bool) {
    return false;
}
bool CBK_Dialog::OnFocus(bool) {
    return false;
}
bool CBK_Dialog::OnSize(int32_t, int32_t) {
    return false;
}
bool CBK_Dialog::OnSizing(tbx::Rect&, int32_t) {
    return false;
}
bool CBK_Dialog::OnMove(int32_t, int32_t) {
    return false;
}
bool CBK_Dialog::OnHScroll(int32_t, int32_t) {
    return false;
}
bool CBK_Dialog::OnVScroll(int32_t, int32_t) {
    return false;
}
bool CBK_Dialog::OnShow(bool) {
    return false;
}
bool CBK_Dialog::OnNotify(int32_t, int32_t) {
    return false;
}
bool CBK_Dialog::OnLButtonDown(int32_t, int32_t, uint32_t) {
    return false;
}
bool CBK_Dialog::OnLButtonUp(int32_t, int32_t, uint32_t) {
    return false;
}
bool CBK_Dialog::OnRButtonDown(int32_t, int32_t, uint32_t) {
    return false;
}
bool CBK_Dialog::OnRButtonUp(int32_t, int32_t, uint32_t) {
    return false;
}
bool CBK_Dialog::OnMouseMove(int32_t, int32_t, uint32_t) {
    return false;
}
bool CBK_Dialog::OnMouseWheel(int32_t, tbx::EventRef&) {
    return false;
}
void CBK_Dialog::OnDragDropFile(CBK_Path&, tbx::Point&) {}
bool CBK_Dialog::OnDragDropStart(tbx::DragRef) {
    return false;
}
bool CBK_Dialog::OnDragDropTracking(tbx::DragRef) {
    return false;
}
bool CBK_Dialog::OnKeyDown(tbx::EventRef&) {
    return false;
}
bool CBK_Dialog::OnKeyUp(tbx::EventRef&) {
    return false;
}
bool CBK_Dialog::OnAEOpenDoc(CBK_Path&) {
    return false;
}
bool CBK_Dialog::OnHotKeyPressed(tbx::EventHotKeyID&) {
    return false;
}
bool CBK_Dialog::OnCustomEvent(uint32_t, uint32_t, tbx::EventRef&) {
    return false;
}
bool CBK_Dialog::OnKeyboardFocus(tbx::ControlRef, tbx::ControlRef) {
    return false;
}

uint32_t CBK_Dialog::_GetSupportedEvents(tbx::EventTypeSpec* list) {
    using namespace tbx;
    if (IsSheet(m_hWnd)) {
        list[0] = {kEventClassControl, kEventControlHit};
        return 1;
    }
    static constexpr EventTypeSpec kEvents[] = {
        {kEventClassControl, kEventControlHit},
        {kEventClassCommand, kEventCommandProcess},
        {kEventClassTextInput, kEventTextInputUpdateActiveInputArea},
        {kEventClassWindow, kEventWindowFocusContent},
        {kEventClassWindow, kEventWindowClose},
        {kEventClassWindow, kEventWindowDrawContent},
        {kEventClassWindow, kEventWindowBoundsChanged},
        {kEventClassWindow, kEventWindowBoundsChanging},
        {kEventClassWindow, kEventWindowActivated},
        {kEventClassKeyboard, kEventRawKeyUp},
        {kEventClassKeyboard, kEventRawKeyDown},
        {kEventClassMouse, kEventMouseDown},
        {kEventClassMouse, kEventMouseUp},
        {kEventClassMouse, kEventMouseMoved},
        {kEventClassFont, kEventFontPanelClosed},
        {kEventClassFont, kEventFontSelection},
    };
    std::copy(std::begin(kEvents), std::end(kEvents), list);
    return static_cast<uint32_t>(std::size(kEvents));
}

bool CBK_Dialog::_InstallEventHandler(tbx::EventTargetRef target) {
    tbx::EventTypeSpec events[16];
    const uint32_t count = _GetSupportedEvents(events);
    m_hHandlerUPP = tbx::NewEventHandlerUPP(BK_DefaultDialogCallback);
    if (!target || tbx::InstallEventHandler(target, m_hHandlerUPP, count, events, this,
                                            &m_hEventHandler) != tbx::noErr) {
        m_hEventHandler = nullptr;
        return false;
    }
    return true;
}

bool CBK_Dialog::_AdoptWindow(tbx::WindowRef window) {
    m_hWnd = window;
    if (_InstallEventHandler(tbx::GetWindowEventTarget(m_hWnd)))
        return true;
    // Not shown and not kept: a window nobody handles would only leak.
    tbx::DisposeWindow(m_hWnd);
    m_hWnd = nullptr;
    return false;
}

bool CBK_Dialog::_LoadWindow(const tbx::IBNibRef& nib, const wchar_t* name) {
    CBK_CFString windowName(name);
    tbx::WindowRef window = nullptr;
    if (!windowName.Get() || tbx::CreateWindowFromNib(nib, windowName, &window) != tbx::noErr ||
        !_AdoptWindow(window))
        return false;
    _AttachProperty();
    return true;
}

bool CBK_Dialog::_AttachProperty() {
    CBK_Dialog* self = this;
    if (m_bIsPane || m_hPaneControl)
        return tbx::SetControlProperty(m_hPaneControl, kPropertyCreator, kPropertyTag, sizeof self,
                                       &self) == tbx::noErr;
    return tbx::SetWindowProperty(m_hWnd, kPropertyCreator, kPropertyTag, sizeof self, &self) ==
           tbx::noErr;
}

bool CBK_Dialog::LoadDialog(const tbx::IBNibRef& nib, const wchar_t* name, tbx::WindowRef parent,
                            uint32_t dialogNo) {
    m_nDialogNo = dialogNo;
    m_hParent = parent;
    if (!_LoadWindow(nib, name))
        return false;
    return OnInit();
}

bool CBK_Dialog::LoadPane(const tbx::IBNibRef&, int32_t paneNo, tbx::WindowRef window,
                          uint32_t dialogNo) {
    m_nDialogNo = dialogNo;
    const tbx::ControlID id{0, paneNo};
    tbx::ControlRef pane = nullptr;
    if (tbx::GetControlByID(window, &id, &pane) != tbx::noErr)
        return false;
    m_hPaneControl = pane;
    if (!_InstallEventHandler(tbx::GetControlEventTarget(pane))) {
        m_hPaneControl = nullptr;
        return false;
    }
    m_hWnd = window;
    // A pane is a pane before OnInit runs, so that the controls it builds there embed in it.
    m_bIsPane = true;
    _AttachProperty();
    OnInit();
    return true;
}

bool CBK_Dialog::Create(int32_t x, int32_t y, uint32_t width, uint32_t height, uint32_t flags,
                        tbx::WindowRef parent, uint32_t) {
    m_nCreationFlags = flags;
    m_hParent = parent;
    const tbx::Rect bounds{BK_ClampCoordinate(y), BK_ClampCoordinate(x),
                           BK_ClampCoordinate(y + static_cast<int32_t>(height)),
                           BK_ClampCoordinate(x + static_cast<int32_t>(width))};
    tbx::WindowAttributes attributes = tbx::kWindowStandardHandlerAttribute;
    if (flags & kCloseBox)
        attributes |= tbx::kWindowCloseBoxAttribute;
    if (flags & kResizable)
        attributes |= tbx::kWindowResizableAttribute;
    tbx::WindowRef window = nullptr;
    if (tbx::CreateNewWindow(ClassOfFlags(flags), attributes, &bounds, &window) != tbx::noErr)
        return false;
    if (flags & kSheet)
        tbx::SetThemeWindowBackground(window, tbx::kThemeBrushSheetBackgroundTransparent, false);
    if (!_AdoptWindow(window))
        return false;
    OnInit();
    if (flags & kShow)
        tbx::ShowWindow(m_hWnd);
    return true;
}

int32_t CBK_Dialog::_RunModalLoop() {
    m_nModalResult = -1;
    m_bInModalLoop = true;
    const bool sheet = IsSheet(m_hWnd);
    if (sheet) {
        tbx::ShowSheetWindow(m_hWnd, m_hParent);
    } else {
        tbx::ShowWindow(m_hWnd);
        tbx::BringToFront(m_hWnd);
    }
    tbx::RunAppModalLoopForWindow(m_hWnd);
    if (!sheet)
        tbx::HideWindow(m_hWnd);
    Destroy();
    m_bInModalLoop = false;
    return m_nModalResult;
}

bool CBK_Dialog::EndModal(int32_t result) {
    m_nModalResult = result;
    tbx::OSStatus status = tbx::noErr;
    if (IsSheet(m_hWnd))
        status = tbx::HideSheetWindow(m_hWnd);
    if (m_hWnd && tbx::IsValidWindowPtr(m_hWnd))
        status = tbx::QuitAppModalLoopForWindow(m_hWnd);
    OnClose();
    Destroy();
    if (status != tbx::noErr) {
        m_nModalResult = -1;
        return false;
    }
    return true;
}

bool CBK_Dialog::Destroy() {
    if (m_bIsPane) {
        if (m_hEventHandler)
            tbx::RemoveEventHandler(m_hEventHandler);
        tbx::RemoveControlProperty(m_hPaneControl, kPropertyCreator, kPropertyTag);
        m_hEventHandler = nullptr;
        m_hHandlerUPP = nullptr;
        m_hPaneControl = nullptr;
        m_bIsPane = false;
        m_hWnd = nullptr;
        return true;
    }
    if (!m_hWnd)
        return false;
    if (m_hEventHandler)
        tbx::RemoveEventHandler(m_hEventHandler);
    m_hEventHandler = nullptr;
    tbx::DisposeEventHandlerUPP(m_hHandlerUPP);
    m_hHandlerUPP = nullptr;
    if (m_hDragTrackingUPP)
        tbx::RemoveTrackingHandler(DragTrackingHandler, m_hWnd);
    if (m_hDragReceiveUPP)
        tbx::RemoveReceiveHandler(DragReceiveHandler, m_hWnd);
    m_hDragTrackingUPP = m_hDragReceiveUPP = nullptr;
    tbx::DisposeWindow(m_hWnd);
    m_hWnd = nullptr;
    return true;
}

bool CBK_Dialog::GetControl(uint32_t code, CBK_Control& control) {
    return control.Init(code, m_hWnd, m_nDialogNo);
}

bool CBK_Dialog::EnableDragDrop(bool enable) {
    if (!m_hWnd)
        return false;
    tbx::SetAutomaticControlDragTrackingEnabledForWindow(m_hWnd, enable);
    if (enable) {
        if (!m_hDragTrackingUPP &&
            tbx::InstallTrackingHandler(DragTrackingHandler, m_hWnd, this) == tbx::noErr)
            m_hDragTrackingUPP = reinterpret_cast<void*>(DragTrackingHandler);
        if (!m_hDragReceiveUPP &&
            tbx::InstallReceiveHandler(DragReceiveHandler, m_hWnd, this) == tbx::noErr)
            m_hDragReceiveUPP = reinterpret_cast<void*>(DragReceiveHandler);
        return m_hDragTrackingUPP && m_hDragReceiveUPP;
    }
    if (m_hDragTrackingUPP)
        tbx::RemoveTrackingHandler(DragTrackingHandler, m_hWnd);
    if (m_hDragReceiveUPP)
        tbx::RemoveReceiveHandler(DragReceiveHandler, m_hWnd);
    m_hDragTrackingUPP = m_hDragReceiveUPP = nullptr;
    return true;
}

CBK_Dialog* CBK_Dialog::GetDialogFromHandle(tbx::WindowRef window) {
    CBK_Dialog* dialog = nullptr;
    if (tbx::GetWindowProperty(window, kPropertyCreator, kPropertyTag, sizeof dialog, nullptr,
                               &dialog) != tbx::noErr)
        return nullptr;
    return dialog;
}

CBK_Dialog* BK_GetDialogFromHandle(tbx::WindowRef window) {
    return CBK_Dialog::GetDialogFromHandle(window);
}

void CBK_Dialog::_CheckKeyboardFocus(tbx::ControlRef control) {
    if (control != m_hLastHitControl) {
        OnKeyboardFocus(control, m_hLastHitControl);
        m_hLastHitControl = control;
    }
}

bool CBK_Dialog::Show(bool show) {
    if (show)
        tbx::ShowWindow(m_hWnd);
    else
        tbx::HideWindow(m_hWnd);
    return true;
}

bool CBK_Dialog::Hide() {
    tbx::HideWindow(m_hWnd);
    return true;
}

bool CBK_Dialog::IsVisible() {
    return tbx::IsWindowVisible(m_hWnd);
}

bool CBK_Dialog::Maximize() {
    tbx::ZoomWindow(m_hWnd, tbx::inZoomOut, false);
    return true;
}

bool CBK_Dialog::Restore() {
    tbx::ZoomWindow(m_hWnd, tbx::inZoomIn, false);
    return true;
}

bool CBK_Dialog::Minimize() {
    return tbx::CollapseWindow(m_hWnd, true) == tbx::noErr;
}

bool CBK_Dialog::IsMinimized() {
    return tbx::IsWindowCollapsed(m_hWnd);
}

bool CBK_Dialog::IsMaximized() {
    return tbx::IsWindowInStandardState(m_hWnd, nullptr, nullptr);
}

bool CBK_Dialog::SetFocus(bool focus) {
    return tbx::ActivateWindow(m_hWnd, focus) == tbx::noErr;
}

bool CBK_Dialog::Activate(bool activate) {
    return tbx::ActivateWindow(m_hWnd, activate) == tbx::noErr;
}

bool CBK_Dialog::KillFocus() {
    return tbx::ActivateWindow(m_hWnd, false) == tbx::noErr;
}

bool CBK_Dialog::Deactivate() {
    return tbx::ActivateWindow(m_hWnd, false) == tbx::noErr;
}

bool CBK_Dialog::BringToFront() {
    tbx::BringToFront(m_hWnd);
    return true;
}

bool CBK_Dialog::SendBehind(tbx::WindowRef behind) {
    tbx::SendBehind(m_hWnd, behind);
    return true;
}

bool CBK_Dialog::GetBounds(tbx::Rect& bounds) {
    return tbx::GetWindowBounds(m_hWnd, tbx::kWindowContentRgn, &bounds) == tbx::noErr;
}

bool CBK_Dialog::SetBounds(tbx::Rect& bounds) {
    return tbx::SetWindowBounds(m_hWnd, tbx::kWindowContentRgn, &bounds) == tbx::noErr;
}

bool CBK_Dialog::GetPos(int32_t& x, int32_t& y) {
    tbx::Rect bounds;
    if (!GetBounds(bounds))
        return false;
    x = bounds.left;
    y = bounds.top;
    return true;
}

int32_t CBK_Dialog::GetXPos() {
    int32_t x = 0, y = 0;
    GetPos(x, y);
    return x;
}

int32_t CBK_Dialog::GetYPos() {
    int32_t x = 0, y = 0;
    GetPos(x, y);
    return y;
}

bool CBK_Dialog::SetPos(int32_t x, int32_t y) {
    tbx::MoveWindow(m_hWnd, BK_ClampCoordinate(x), BK_ClampCoordinate(y), false);
    return true;
}

bool CBK_Dialog::SetXPos(int32_t x) {
    return SetPos(x, GetYPos());
}

bool CBK_Dialog::SetYPos(int32_t y) {
    return SetPos(GetXPos(), y);
}

bool CBK_Dialog::GetSize(int32_t& width, int32_t& height) {
    tbx::Rect bounds;
    if (!GetBounds(bounds))
        return false;
    width = bounds.right - bounds.left;
    height = bounds.bottom - bounds.top;
    return true;
}

int32_t CBK_Dialog::GetWidth() {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    return width;
}

int32_t CBK_Dialog::GetHeight() {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    return height;
}

int32_t CBK_Dialog::GetWindowWidth() {
    tbx::Rect bounds;
    if (tbx::GetWindowBounds(m_hWnd, tbx::kWindowStructureRgn, &bounds) != tbx::noErr)
        return 0;
    return bounds.right - bounds.left;
}

int32_t CBK_Dialog::GetWindowHeight() {
    tbx::Rect bounds;
    if (tbx::GetWindowBounds(m_hWnd, tbx::kWindowStructureRgn, &bounds) != tbx::noErr)
        return 0;
    return bounds.bottom - bounds.top;
}

bool CBK_Dialog::SetSize(int32_t width, int32_t height) {
    tbx::SizeWindow(m_hWnd, BK_ClampCoordinate(width), BK_ClampCoordinate(height), true);
    return true;
}

bool CBK_Dialog::SetWidth(int32_t width) {
    return SetSize(width, GetHeight());
}

bool CBK_Dialog::SetHeight(int32_t height) {
    return SetSize(GetWidth(), height);
}

bool CBK_Dialog::CenterWindow(tbx::WindowRef parent) {
    return tbx::RepositionWindow(m_hWnd, parent, tbx::kWindowCenterOnMainScreen) == tbx::noErr;
}

bool CBK_Dialog::ConstrainToScreen() {
    return tbx::ConstrainWindowToScreen(m_hWnd, tbx::kWindowStructureRgn,
                                        tbx::kWindowConstrainMoveRegardlessOfFit, nullptr,
                                        nullptr) == tbx::noErr;
}

bool CBK_Dialog::SetTitle(const wchar_t* title) {
    CBK_CFString text(title ? title : L"");
    return tbx::SetWindowTitleWithCFString(m_hWnd, text) == tbx::noErr;
}

bool CBK_Dialog::SetTitle(int32_t stringId) {
    CBK_String text(stringId);
    return SetTitle(text.GetConstString());
}

bool CBK_Dialog::SetBackgroundColor(uint32_t colour) {
    const tbx::RGBColor rgb{static_cast<tbx::UInt16>((colour & 0xFF) * 257),
                            static_cast<tbx::UInt16>(((colour >> 8) & 0xFF) * 257),
                            static_cast<tbx::UInt16>(((colour >> 16) & 0xFF) * 257)};
    return tbx::SetWindowContentColor(m_hWnd, &rgb) == tbx::noErr;
}

bool BK_ShowDialog(tbx::WindowRef& window) {
    tbx::ShowWindow(window);
    return true;
}

bool BK_HideDialog(tbx::WindowRef& window) {
    tbx::HideWindow(window);
    return true;
}

bool BK_DestroyDialog(tbx::WindowRef& window) {
    tbx::DisposeWindow(window);
    window = nullptr;
    return true;
}

bool BK_LoadDialog(tbx::WindowRef&) {
    return true;
}

bool BK_UnloadDialog(tbx::WindowRef&) {
    return true;
}

bool BK_CreateDialog(tbx::WindowRef& window, const wchar_t* title) {
    CBK_CFString converted(title);
    return window != nullptr;
}

// Types and constants of the windowing stand-in: windows, controls, Carbon events, nibs,
// alerts and timers. Every reference type is an opaque, pointer-sized, checked handle: a
// reference whose object has gone gives an error status, never a crash.
#pragma once

#include <cstdint>

#include "platform/cf_string.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/types.h"

namespace tbx {

struct OpaqueWindowPtr;
struct OpaqueControlRef;
struct OpaqueEventRef;
struct OpaqueEventHandlerRef;
struct OpaqueEventHandlerCallRef;
struct OpaqueEventTargetRef;
struct OpaqueIBNibRef;
struct OpaqueEventLoopTimerRef;
struct OpaqueEventLoopRef;
struct OpaqueDialogPtr;
struct OpaqueDragRef;
struct OpaqueTXNObject;

using WindowRef = OpaqueWindowPtr*;
using WindowPtr = WindowRef;
using ControlRef = OpaqueControlRef*;
using ControlHandle = ControlRef;
using EventRef = OpaqueEventRef*;
using EventHandlerRef = OpaqueEventHandlerRef*;
using EventHandlerCallRef = OpaqueEventHandlerCallRef*;
using EventTargetRef = OpaqueEventTargetRef*;
using IBNibRef = OpaqueIBNibRef*;
using EventLoopTimerRef = OpaqueEventLoopTimerRef*;
using EventLoopRef = OpaqueEventLoopRef*;
using DialogRef = OpaqueDialogPtr*;
using DragRef = OpaqueDragRef*;
using TXNObject = OpaqueTXNObject*;

static_assert(sizeof(WindowRef) == sizeof(std::uintptr_t));

using SRefCon = std::intptr_t;
using URefCon = std::uintptr_t;
using EventTime = double; // seconds
using EventTimeout = EventTime;
using EventTimerInterval = EventTime;
using EventParamName = OSType;
using EventParamType = OSType;
using ControlPartCode = SInt16;
using WindowPartCode = SInt16;
using WindowRegionCode = UInt16;
using WindowClass = UInt32;
using WindowAttributes = UInt32;
using MenuCommand = UInt32;
using DialogItemIndex = SInt16;
using ThemeCursor = SInt32;
using ThemeBrush = SInt16;
using AlertType = SInt16;
using MouseTrackingResult = UInt16;
using EventMouseButton = UInt16;
using EventMouseWheelAxis = UInt16;
using DragItemRef = UInt32;
using FlavorType = OSType;

constexpr EventTime kEventDurationSecond = 1.0;
constexpr EventTime kEventDurationMillisecond = 0.001;
constexpr EventTime kEventDurationNoWait = 0.0;
constexpr EventTime kEventDurationForever = -1.0;

struct ControlID {
    OSType signature = 0;
    SInt32 id = 0;
};

struct EventTypeSpec {
    UInt32 eventClass = 0;
    UInt32 eventKind = 0;
};

// A command record; menu items fill the menu fields, controls the control field.
struct HICommand {
    UInt32 attributes = 0;
    UInt32 commandID = 0;
    struct {
        void* menuRef = nullptr;
        UInt16 menuItemIndex = 0;
    } menu;
};

struct HICommandExtended {
    UInt32 attributes = 0;
    UInt32 commandID = 0;
    union {
        ControlRef control;
        WindowRef window;
        struct {
            void* menuRef;
            UInt16 menuItemIndex;
        } menu;
    } source{};
};

inline constexpr UInt32 kHICommandFromMenu = 1 << 0;
inline constexpr UInt32 kHICommandFromControl = 1 << 1;
inline constexpr UInt32 kHICommandFromWindow = 1 << 2;

struct ControlFontStyleRec {
    SInt16 flags = 0;
    SInt16 font = 0;
    SInt16 size = 0;
    SInt16 style = 0;
    SInt16 mode = 0;
    SInt16 just = 0;
    RGBColor foreColor;
    RGBColor backColor;
};

inline constexpr SInt16 kControlUseFontMask = 0x0001;
inline constexpr SInt16 kControlUseFaceMask = 0x0002;
inline constexpr SInt16 kControlUseSizeMask = 0x0004;
inline constexpr SInt16 kControlUseForeColorMask = 0x0008;
inline constexpr SInt16 kControlUseBackColorMask = 0x0010;
inline constexpr SInt16 kControlUseModeMask = 0x0020;
inline constexpr SInt16 kControlUseJustMask = 0x0040;
// Justification of control text (the `just` field).
inline constexpr SInt16 teFlushDefault = 0;
inline constexpr SInt16 teCenter = 1;
inline constexpr SInt16 teFlushRight = -1;
inline constexpr SInt16 teFlushLeft = -2;
inline constexpr SInt16 kControlFontBigSystemFont = -1;
inline constexpr SInt16 kControlFontSmallSystemFont = -2;
inline constexpr SInt16 kControlFontSmallBoldSystemFont = -3;

struct EventHotKeyID {
    OSType signature = 0;
    UInt32 id = 0;
};

using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef, EventRef, void* userData);
using EventHandlerUPP = EventHandlerProcPtr;
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef, void* userData);
using EventLoopTimerUPP = EventLoopTimerProcPtr;
using ControlActionProcPtr = void (*)(ControlRef, ControlPartCode);
using ControlActionUPP = ControlActionProcPtr;
// The indicator action of thumb tracking: called with no argument while the thumb moves.
using ThumbActionProcPtr = void (*)();
using ThumbActionUPP = ThumbActionProcPtr;

// Event classes and kinds that the toolkit uses.
inline constexpr UInt32 kEventClassMouse = FourCC("mous");
inline constexpr UInt32 kEventClassKeyboard = FourCC("keyb");
inline constexpr UInt32 kEventClassTextInput = FourCC("text");
inline constexpr UInt32 kEventClassApplication = FourCC("appl");
inline constexpr UInt32 kEventClassMenu = FourCC("menu");
inline constexpr UInt32 kEventClassWindow = FourCC("wind");
inline constexpr UInt32 kEventClassControl = FourCC("cntl");
inline constexpr UInt32 kEventClassCommand = FourCC("cmds");
inline constexpr UInt32 kEventClassFont = FourCC("font");
inline constexpr UInt32 kEventMouseDown = 1;
inline constexpr UInt32 kEventMouseUp = 2;
inline constexpr UInt32 kEventMouseMoved = 5;
inline constexpr UInt32 kEventMouseDragged = 6;
inline constexpr UInt32 kEventMouseWheelMoved = 10;
inline constexpr UInt32 kEventRawKeyDown = 1;
inline constexpr UInt32 kEventRawKeyRepeat = 2;
inline constexpr UInt32 kEventRawKeyUp = 3;
inline constexpr UInt32 kEventTextInputUpdateActiveInputArea = 1;
inline constexpr UInt32 kEventTextInputUnicodeForKeyEvent = 2;
inline constexpr UInt32 kEventWindowUpdate = 1;
inline constexpr UInt32 kEventWindowDrawContent = 2;
inline constexpr UInt32 kEventWindowActivated = 5;
inline constexpr UInt32 kEventWindowDeactivated = 6;
inline constexpr UInt32 kEventWindowBoundsChanging = 26;
inline constexpr UInt32 kEventWindowBoundsChanged = 27;
inline constexpr UInt32 kEventWindowClose = 72;
inline constexpr UInt32 kEventWindowClosed = 73;
inline constexpr UInt32 kEventWindowFocusContent = 1004;
inline constexpr UInt32 kEventControlHit = 1;
inline constexpr UInt32 kEventControlDraw = 4;
inline constexpr UInt32 kEventControlSetCursor = 11;
inline constexpr UInt32 kEventCommandProcess = 1;
inline constexpr UInt32 kEventCommandUpdateStatus = 2;
inline constexpr UInt32 kEventFontPanelClosed = 1;
inline constexpr UInt32 kEventFontSelection = 2;

// Event parameters and their types.
inline constexpr OSType kEventParamDirectObject = FourCC("----");
inline constexpr OSType kEventParamWindowRef = FourCC("wind");
inline constexpr OSType kEventParamControlRef = FourCC("ctrl");
inline constexpr OSType kEventParamControlPart = FourCC("cprt");
inline constexpr OSType kEventParamMouseLocation = FourCC("mloc");
inline constexpr OSType kEventParamWindowMouseLocation = FourCC("wmou");
inline constexpr OSType kEventParamMouseButton = FourCC("mbtn");
inline constexpr OSType kEventParamClickCount = FourCC("ccnt");
inline constexpr OSType kEventParamMouseWheelAxis = FourCC("mwax");
inline constexpr OSType kEventParamMouseWheelDelta = FourCC("mwdl");
inline constexpr OSType kEventParamKeyModifiers = FourCC("kmod");
inline constexpr OSType kEventParamKeyCode = FourCC("kcod");
inline constexpr OSType kEventParamKeyMacCharCodes = FourCC("kchr");
inline constexpr OSType kEventParamKeyUnicodes = FourCC("kuni");
inline constexpr OSType kEventParamTextInputSendText = FourCC("tstx");
inline constexpr OSType kEventParamAttributes = FourCC("attr");
inline constexpr OSType kEventParamOriginalBounds = FourCC("obnd");
inline constexpr OSType kEventParamPreviousBounds = FourCC("prbd");
inline constexpr OSType kEventParamCurrentBounds = FourCC("crct");
inline constexpr OSType kEventParamPostTarget = FourCC("ptrg");
inline constexpr OSType typeWildCard = FourCC("****");
inline constexpr OSType typeWindowRef = FourCC("wind");
inline constexpr OSType typeControlRef = FourCC("ctrl");
inline constexpr OSType typeControlPartCode = FourCC("cprt");
inline constexpr OSType typeHICommand = FourCC("hcmd");
inline constexpr OSType typeQDPoint = FourCC("QDpt");
inline constexpr OSType typeQDRectangle = FourCC("qdrt");
inline constexpr OSType typeMouseButton = FourCC("mbtn");
inline constexpr OSType typeMouseWheelAxis = FourCC("mwax");
inline constexpr OSType typeUInt32 = FourCC("magn");
inline constexpr OSType typeSInt32 = FourCC("long");
inline constexpr OSType typeChar = FourCC("TEXT");
inline constexpr OSType typeUnicodeText = FourCC("utxt");
inline constexpr OSType typeEventTargetRef = FourCC("etrg");
inline constexpr OSType typeEventHotKeyID = FourCC("hkid");

inline constexpr UInt32 kEventMouseButtonPrimary = 1;
inline constexpr UInt32 kEventMouseButtonSecondary = 2;
inline constexpr EventMouseWheelAxis kEventMouseWheelAxisX = 0;
inline constexpr EventMouseWheelAxis kEventMouseWheelAxisY = 1;

// Keyboard modifiers.
inline constexpr UInt32 cmdKey = 1 << 8;
inline constexpr UInt32 shiftKey = 1 << 9;
inline constexpr UInt32 alphaLock = 1 << 10;
inline constexpr UInt32 optionKey = 1 << 11;
inline constexpr UInt32 controlKey = 1 << 12;

// Window classes, attributes, regions and positions.
inline constexpr WindowClass kAlertWindowClass = 1;
inline constexpr WindowClass kMovableAlertWindowClass = 2;
inline constexpr WindowClass kModalWindowClass = 3;
inline constexpr WindowClass kMovableModalWindowClass = 4;
inline constexpr WindowClass kFloatingWindowClass = 5;
inline constexpr WindowClass kDocumentWindowClass = 6;
inline constexpr WindowClass kUtilityWindowClass = 8;
inline constexpr WindowClass kSheetWindowClass = 11;
inline constexpr WindowClass kPlainWindowClass = 13;

inline constexpr WindowAttributes kWindowNoAttributes = 0;
inline constexpr WindowAttributes kWindowCloseBoxAttribute = 1u << 0;
inline constexpr WindowAttributes kWindowHorizontalZoomAttribute = 1u << 1;
inline constexpr WindowAttributes kWindowVerticalZoomAttribute = 1u << 2;
inline constexpr WindowAttributes kWindowFullZoomAttribute =
    kWindowHorizontalZoomAttribute | kWindowVerticalZoomAttribute;
inline constexpr WindowAttributes kWindowCollapseBoxAttribute = 1u << 3;
inline constexpr WindowAttributes kWindowResizableAttribute = 1u << 4;
inline constexpr WindowAttributes kWindowStandardHandlerAttribute = 1u << 25;
inline constexpr WindowAttributes kWindowStandardDocumentAttributes =
    kWindowCloseBoxAttribute | kWindowFullZoomAttribute | kWindowCollapseBoxAttribute |
    kWindowResizableAttribute;

inline constexpr WindowRegionCode kWindowStructureRgn = 32;
inline constexpr WindowRegionCode kWindowContentRgn = 33;

inline constexpr UInt32 kWindowCenterOnMainScreen = 1;
inline constexpr UInt32 kWindowCenterOnParentWindow = 2;
inline constexpr UInt32 kWindowAlertPositionOnMainScreen = 7;
inline constexpr UInt32 kWindowConstrainMoveRegardlessOfFit = 1u << 1;

inline constexpr WindowPartCode inZoomIn = 7;
inline constexpr WindowPartCode inZoomOut = 8;

// Control parts.
inline constexpr ControlPartCode kControlNoPart = 0;
inline constexpr ControlPartCode kControlLabelPart = 1;
inline constexpr ControlPartCode kControlMenuPart = 2;
inline constexpr ControlPartCode kControlEditTextPart = 5;
inline constexpr ControlPartCode kControlButtonPart = 10;
inline constexpr ControlPartCode kControlCheckBoxPart = 11;
inline constexpr ControlPartCode kControlRadioButtonPart = 11;
inline constexpr ControlPartCode kControlUpButtonPart = 20;
inline constexpr ControlPartCode kControlDownButtonPart = 21;
inline constexpr ControlPartCode kControlPageUpPart = 22;
inline constexpr ControlPartCode kControlPageDownPart = 23;
inline constexpr ControlPartCode kControlIndicatorPart = 129;
inline constexpr ControlPartCode kControlFocusNoPart = 0;
inline constexpr ControlPartCode kControlFocusNextPart = -1;
inline constexpr ControlPartCode kControlFocusPrevPart = -2;

// Control data tags that the stand-in's controls understand.
inline constexpr OSType kControlFontStyleTag = FourCC("font");
inline constexpr OSType kControlStaticTextTextTag = FourCC("text");
inline constexpr OSType kControlStaticTextCFStringTag = FourCC("cfst");
inline constexpr OSType kControlEditTextTextTag = FourCC("text");
inline constexpr OSType kControlEditTextCFStringTag = FourCC("cfst");
inline constexpr OSType kControlEditTextSelectionTag = FourCC("sele");
inline constexpr OSType kControlEditTextKeyFilterTag = FourCC("fltr");
inline constexpr OSType kControlBevelButtonContentTag = FourCC("cont");
inline constexpr OSType kControlImageWellContentTag = FourCC("cont");
inline constexpr OSType kControlBevelButtonMenuValueTag = FourCC("mval");
inline constexpr OSType kControlProgressBarIndeterminateTag = FourCC("inde");
inline constexpr OSType kControlTabInfoTag = FourCC("tabi");
inline constexpr OSType kControlPopupButtonMenuRefTag = FourCC("mhan");
inline constexpr OSType kControlPopupButtonOwnedMenuRefTag = FourCC("omrf");
inline constexpr OSType kControlPopupButtonCheckCurrentTag = FourCC("chck");
inline constexpr OSType kControlBevelButtonMenuRefTag = FourCC("mhan");
inline constexpr OSType kControlBevelButtonOwnedMenuRefTag = FourCC("omrf");
inline constexpr OSType kControlBevelButtonLastMenuTag = FourCC("lmnu");

inline constexpr UInt32 kControlSupportsEmbedding = 1 << 1;
inline constexpr UInt32 kControlSupportsFocus = 1 << 2;
inline constexpr UInt32 kControlWantsIdle = 1 << 3;
inline constexpr UInt32 kControlWantsActivate = 1 << 4;
inline constexpr UInt32 kControlHandlesTracking = 1 << 5;
inline constexpr UInt32 kControlSupportsDataAccess = 1 << 6;
inline constexpr UInt32 kControlSupportsGetRegion = 1 << 10;

// Content of a bevel button.
inline constexpr SInt16 kControlContentTextOnly = 0;
inline constexpr SInt16 kControlContentIconRef = 132;
inline constexpr SInt16 kControlContentPictHandle = 4;

struct ControlButtonContentInfo {
    SInt16 contentType = kControlContentTextOnly;
    void* content = nullptr; // icon reference or picture handle, by the content type
};

inline constexpr UInt16 kControlBevelButtonNormalBevel = 1;
inline constexpr UInt16 kControlBevelButtonSmallBevel = 0;
inline constexpr UInt16 kControlBehaviorPushbutton = 0;
inline constexpr UInt16 kControlBehaviorToggles = 0x0100;

inline constexpr UInt16 kControlSliderPointsDownOrRight = 1;
inline constexpr UInt16 kControlSliderPointsUpOrLeft = 2;

// Cursors of the theme.
inline constexpr ThemeCursor kThemeArrowCursor = 0;
inline constexpr ThemeCursor kThemeCopyArrowCursor = 1;
inline constexpr ThemeCursor kThemeIBeamCursor = 4;
inline constexpr ThemeCursor kThemeCrossCursor = 5;
inline constexpr ThemeCursor kThemeWatchCursor = 7;

inline constexpr ThemeBrush kThemeBrushDialogBackgroundActive = 1;
inline constexpr ThemeBrush kThemeBrushDocumentWindowBackground = 15;
inline constexpr ThemeBrush kThemeBrushSheetBackgroundTransparent = 50;

// Alerts.
inline constexpr AlertType kAlertStopAlert = 0;
inline constexpr AlertType kAlertNoteAlert = 1;
inline constexpr AlertType kAlertCautionAlert = 2;
inline constexpr AlertType kAlertPlainAlert = 3;

inline constexpr DialogItemIndex kAlertStdAlertOKButton = 1;
inline constexpr DialogItemIndex kAlertStdAlertCancelButton = 2;
inline constexpr DialogItemIndex kAlertStdAlertOtherButton = 3;

inline constexpr SInt16 kWindowDefaultPosition = 0;
inline constexpr SInt16 kWindowCenterParentWindow = 2;

struct AlertStdCFStringAlertParamRec {
    UInt32 version = 1;
    Boolean movable = false;
    Boolean helpButton = false;
    CFStringRef defaultText = nullptr;
    CFStringRef cancelText = nullptr;
    CFStringRef otherText = nullptr;
    SInt16 defaultButton = 0;
    SInt16 cancelButton = 0;
    UInt16 position = 0;
    UInt32 flags = 0;
};

// Button texts of the pre-10 alert, as length-prefixed strings; a null text means no button,
// and (StringPtr)-1 asks for the default wording.
struct AlertStdAlertParamRec {
    Boolean movable = false;
    Boolean helpButton = false;
    void* filterProc = nullptr;
    ConstStringPtr defaultText = nullptr;
    ConstStringPtr cancelText = nullptr;
    ConstStringPtr otherText = nullptr;
    SInt16 defaultButton = 0;
    SInt16 cancelButton = 0;
    UInt16 position = 0;
};

inline const unsigned char* const kAlertDefaultOKText = reinterpret_cast<ConstStringPtr>(-1);

inline constexpr UInt32 kStdCFStringAlertVersionOne = 1;

// Standard command ids of alert and sheet buttons.
inline constexpr UInt32 kHICommandOK = FourCC("ok  ");
inline constexpr UInt32 kHICommandCancel = FourCC("not!");
inline constexpr UInt32 kHICommandOther = FourCC("othr");

inline constexpr MouseTrackingResult kMouseTrackingMouseDown = 1;
inline constexpr MouseTrackingResult kMouseTrackingMouseUp = 2;
inline constexpr MouseTrackingResult kMouseTrackingMouseExited = 3;
inline constexpr MouseTrackingResult kMouseTrackingMouseEntered = 4;
inline constexpr MouseTrackingResult kMouseTrackingMouseDragged = 5;
inline constexpr MouseTrackingResult kMouseTrackingKeyModifiersChanged = 6;
inline constexpr MouseTrackingResult kMouseTrackingUserCancelled = 7;
inline constexpr MouseTrackingResult kMouseTrackingTimedOut = 8;
inline constexpr MouseTrackingResult kMouseTrackingMouseMoved = 9;

// Result codes of the windowing services.
inline constexpr OSStatus errInvalidWindowRef = -5600;
inline constexpr OSStatus errUnrecognizedWindowClass = -5602;
inline constexpr OSStatus errWindowPropertyNotFound = -5604;
inline constexpr OSStatus errWindowNotModal = -5609;
inline constexpr OSStatus errControlPropertyNotFound = -5603;
inline constexpr OSStatus errDataNotSupported = -30583;
inline constexpr OSStatus errUnknownControl = -30584;
inline constexpr OSStatus errCouldntSetFocus = -30585;
inline constexpr OSStatus errControlIsNotEmbedder = -30590;
inline constexpr OSStatus errInvalidPartCode = -30588;
inline constexpr OSStatus errItemNotControl = -30599;
inline constexpr OSStatus eventAlreadyPostedErr = -9860;
inline constexpr OSStatus eventClassInvalidErr = -9862;
inline constexpr OSStatus eventHandlerAlreadyInstalledErr = -9866;
inline constexpr OSStatus eventInternalErr = -9868;
inline constexpr OSStatus eventKindIncorrectErr = -9869;
inline constexpr OSStatus eventParameterNotFoundErr = -9870;
inline constexpr OSStatus eventLoopTimedOutErr = -9875;
inline constexpr OSStatus eventLoopQuitErr = -9876;
inline constexpr OSStatus kIBCarbonRuntimeCantFindNibFile = -10960;
inline constexpr OSStatus kIBCarbonRuntimeObjectNotOfRequestedType = -10961;
inline constexpr OSStatus kIBCarbonRuntimeCantFindObject = -10962;
inline constexpr OSStatus errAECoercionFail = -1700;
inline constexpr OSStatus userCanceledErr = -128;

} // namespace tbx

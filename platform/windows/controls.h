// Control Manager: controls embedded in a window's root control, found by control id, with a
// command id, a pointer-sized reference, 32-bit value, minimum, maximum and view size, a
// title, data tags, properties, keyboard focus and tracking driven by the mouse gestures that
// the test driver injects.
//
// Visibility, activation and enabling are separate flags. IsControlVisible reports whether
// the control and every control that embeds it are visible; only such controls are hit.
// Clicking an inactive or disabled control hits nothing. The focus goes only to edit-text,
// data-browser and user-pane controls that support focus, when they are visible, active and
// enabled; Tab moves it through them in embedding order.
//
// Tracking: a gesture is a press at its first point, drags through the others and a release
// at the last. TrackControl calls a control action once at the press and once per drag
// point, with the part pressed while the mouse stays in it and kControlNoPart when it has
// left; it returns the part when released inside it. A thumb action (ThumbActionUPP) is
// called once per drag point. The stand-in does not move a thumb by itself: the caller sets
// the value it wants.
#pragma once

#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

using ControlKeyFilterResult = SInt16;
inline constexpr ControlKeyFilterResult kControlKeyFilterBlockKey = 0;
inline constexpr ControlKeyFilterResult kControlKeyFilterPassKey = 1;
using ControlKeyFilterProcPtr = ControlKeyFilterResult (*)(ControlRef, SInt16* keyCode,
                                                           SInt16* charCode, UInt16* modifiers);
using ControlKeyFilterUPP = ControlKeyFilterProcPtr;

struct ControlEditTextSelectionRec {
    SInt16 selStart = 0;
    SInt16 selEnd = 0;
};

// Creation. Each puts the control in the window's root control and answers
// errInvalidWindowRef for a stale window, paramErr for a null bounds or result.
OSStatus CreateRootControl(WindowRef window, ControlRef* outControl);
OSStatus GetRootControl(WindowRef window, ControlRef* outControl);
OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                 ControlRef* outControl);
// A bevel button with a menu (a menu id of the menu bar's menus, or
// kControlBevelButtonMenuRefTag) drops it from the 16 pixels at its right (kControlMenuPart);
// a choice sets kControlBevelButtonMenuValueTag and kControlBevelButtonLastMenuTag, sends the
// item's command (when it has one) to the button and then the hit.
OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  UInt16 thickness, UInt16 behavior,
                                  const ControlButtonContentInfo* content, SInt16 menuID,
                                  UInt16 menuBehavior, UInt16 menuPlacement,
                                  ControlRef* outControl);
OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl);
OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle, ControlRef* outControl);
OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl);
OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec* style,
                                      ControlRef* outControl);
OSStatus CreateScrollBarControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                                SInt32 maximum, SInt32 viewSize, Boolean liveTracking,
                                ControlActionUPP action, ControlRef* outControl);
OSStatus CreateSliderControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                             SInt32 maximum, UInt16 orientation, UInt16 numTickMarks,
                             Boolean liveTracking, ControlActionUPP action, ControlRef* outControl);
OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl);
OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features,
                               ControlRef* outControl);
// A menu id of the menu bar's menus gives the pop-up that menu (kept, not owned); the
// pop-up's menu can be set with kControlPopupButtonMenuRefTag (kept) or
// kControlPopupButtonOwnedMenuRefTag (disposed of with the control). A click pops the menu up
// (see tbx::test::ScriptPopUpChoice); a choice becomes the value and sends the hit.
OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt16 menuID, Boolean variableWidth, SInt16 titleWidth,
                                  SInt16 titleJustification, Style titleStyle,
                                  ControlRef* outControl);
OSStatus CreateGroupBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               Boolean primary, ControlRef* outControl);
// An image well shows its content (a picture handle or icon); set and read it with
// kControlImageWellContentTag.
OSStatus CreateImageWellControl(WindowRef window, const Rect* bounds,
                                const ControlButtonContentInfo* content, ControlRef* outControl);
void DisposeControl(ControlRef control);
// False once the control has been disposed of (with its window or on its own).
Boolean IsValidControlHandle(ControlRef control);

// Identity and ownership.
OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);
OSStatus SetControlID(ControlRef control, const ControlID* id);
OSStatus GetControlID(ControlRef control, ControlID* outId);
OSStatus SetControlCommandID(ControlRef control, UInt32 command);
OSStatus GetControlCommandID(ControlRef control, UInt32* outCommand);
void SetControlReference(ControlRef control, SRefCon reference);
SRefCon GetControlReference(ControlRef control);
// Null for a stale control.
WindowRef GetControlOwner(ControlRef control);
OSStatus EmbedControl(ControlRef control, ControlRef container);
OSStatus GetSuperControl(ControlRef control, ControlRef* outParent);
OSStatus CountSubControls(ControlRef control, UInt16* outCount);
// Index from 1.
OSStatus GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSubControl);

// Geometry, in the window's local coordinates. Moving a control moves what it embeds.
Rect* GetControlBounds(ControlRef control, Rect* outBounds);
void SetControlBounds(ControlRef control, const Rect* bounds);
void MoveControl(ControlRef control, SInt16 h, SInt16 v);
void SizeControl(ControlRef control, SInt16 width, SInt16 height);

// State.
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean draw);
Boolean IsControlVisible(ControlRef control);
OSStatus ActivateControl(ControlRef control);
OSStatus DeactivateControl(ControlRef control);
Boolean IsControlActive(ControlRef control);
OSStatus EnableControl(ControlRef control);
OSStatus DisableControl(ControlRef control);
Boolean IsControlEnabled(ControlRef control);
void Draw1Control(ControlRef control);
inline void DrawOneControl(ControlRef control) {
    Draw1Control(control);
}
OSStatus DrawControls(WindowRef window);

// Values. Setting the value pins it to [minimum, maximum]; setting a limit pins the value.
SInt32 GetControl32BitValue(ControlRef control);
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 maximum);
SInt32 GetControlViewSize(ControlRef control);
void SetControlViewSize(ControlRef control, SInt32 viewSize);

// Title and style.
OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title);
// The caller releases the copy.
OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle);
OSStatus SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style);
OSStatus GetControlFontStyle(ControlRef control, ControlFontStyleRec* style);
OSStatus SetBevelButtonContentInfo(ControlRef control, const ControlButtonContentInfo* content);

// Data tags. A tag that the control's kind does not take gives errDataNotSupported. The
// CFString tags take and give a CFStringRef; the one given by GetControlData is a new
// reference that the caller releases.
OSStatus SetControlData(ControlRef control, ControlPartCode part, OSType tag, UInt32 size,
                        const void* data);
OSStatus GetControlData(ControlRef control, ControlPartCode part, OSType tag, UInt32 bufferSize,
                        void* data, UInt32* actualSize);
OSStatus GetControlDataSize(ControlRef control, ControlPartCode part, OSType tag, UInt32* outSize);

OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size,
                            const void* buffer);
OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize,
                            UInt32* actualSize, void* buffer);
OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag);

// Keyboard focus.
OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part);
OSStatus GetKeyboardFocus(WindowRef window, ControlRef* outControl);
OSStatus ClearKeyboardFocus(WindowRef window);
OSStatus AdvanceKeyboardFocus(WindowRef window);
OSStatus ReverseKeyboardFocus(WindowRef window);

// The buttons of a window that keys press: Return and Enter the default button, Escape and
// Command-period the cancel button, when the button is shown, active and enabled. Null
// clears; errUnknownControl for a control of another window; a button disposed of is none.
OSStatus SetWindowDefaultButton(WindowRef window, ControlRef control);
OSStatus SetWindowCancelButton(WindowRef window, ControlRef control);
OSStatus GetWindowDefaultButton(WindowRef window, ControlRef* outControl);
OSStatus GetWindowCancelButton(WindowRef window, ControlRef* outControl);

// Tracking and hit testing. Points are in the window's local coordinates.
void SetControlAction(ControlRef control, ControlActionUPP action);
ControlPartCode TrackControl(ControlRef control, Point startPoint, ControlActionUPP action);
ControlPartCode TrackControl(ControlRef control, Point startPoint, ThumbActionUPP thumbAction);
ControlRef FindControlUnderMouse(Point local, WindowRef window, ControlPartCode* outPart);
ControlPartCode TestControl(ControlRef control, Point local);

// The mouse: where the current gesture has it, and whether its button is held.
void GetGlobalMouse(Point* outGlobal);
// Between global coordinates and those of a window's port; nothing for a port of no window.
Point* QDGlobalToLocalPoint(CGrafPtr port, Point* point);
Point* QDLocalToGlobalPoint(CGrafPtr port, Point* point);
Boolean StillDown();
Boolean Button();
// Follows the current gesture: kMouseTrackingMouseDragged for each point it moves through,
// then kMouseTrackingMouseUp at the release. With a window's port the point is local to the
// window; with null it is global.
OSStatus TrackMouseLocation(GrafPtr port, Point* outPoint, MouseTrackingResult* outResult);

} // namespace tbx

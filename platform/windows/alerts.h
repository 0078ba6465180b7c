// Standard alerts and sheets. An alert is a window of the model with its texts and up to three
// push buttons: item 1 (command 'ok  '), item 2 ('not!') and item 3 ('othr'). A click on a
// button, Return or Enter (the default button) and Escape (the cancel button) answer it.
#pragma once

#include "platform/windows/carbon_types.h"

namespace tbx {

// Texts of the pre-10 alert are length-prefixed Mac Roman strings.
OSErr StandardAlert(AlertType type, ConstStringPtr error, ConstStringPtr explanation,
                    const AlertStdAlertParamRec* param, SInt16* outItemHit);

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version);
// A null param gives one OK button. A null default text gives "OK"; a null cancel or other
// text gives no such button.
OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
// Shows the alert, runs it modally, disposes of it and gives the item hit. When the wait
// cannot be answered it gives up with eventLoopQuitErr and item 0.
OSStatus RunStandardAlert(DialogRef alert, void* filterProc, DialogItemIndex* outItemHit);
// A sheet-class alert, not shown; the caller shows it with ShowSheetWindow and disposes of
// it. A button hit that no handler takes records the item and sends the button's command to
// the notify target.
OSStatus CreateStandardSheet(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param,
                             EventTargetRef notifyTarget, DialogRef* outSheet);

WindowRef GetDialogWindow(DialogRef dialog);
DialogRef GetDialogFromWindow(WindowRef window);

} // namespace tbx

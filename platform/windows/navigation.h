// Navigation Services: save, open, choose-file and choose-folder dialogs. Nothing is shown:
// NavDialogRun takes the answer scripted with tbx::test::ScriptNavAnswer (chosen paths, a
// typed name and folder, a pop-up choice, or a cancel) and reports through the event callback
// what a user's pop-up choice would. Before answering it can list a folder through the
// dialog's object filter, which gets each item as an 'fsrf' descriptor with a folder flag and
// the Finder type from the item's Finder information (0 where there is none).
#pragma once

#include "platform/cf_array.h"
#include "platform/windows/ae_desc.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

struct OpaqueNavDialogRef;
using NavDialogRef = OpaqueNavDialogRef*;
using NavEventCallbackMessage = SInt32;
using NavFilterModes = SInt16;
using NavDialogOptionFlags = UInt32;
using WindowModality = UInt32;
using NavTypeListHandle = Handle;

inline constexpr NavEventCallbackMessage kNavCBEvent = 0;
inline constexpr NavEventCallbackMessage kNavCBStart = 2;
inline constexpr NavEventCallbackMessage kNavCBTerminate = 3;
inline constexpr NavEventCallbackMessage kNavCBPopupMenuSelect = 8;
inline constexpr NavEventCallbackMessage kNavCBAccept = 9;
inline constexpr NavEventCallbackMessage kNavCBCancel = 10;
inline constexpr NavFilterModes kNavFilteringBrowserList = 0;
inline constexpr NavDialogOptionFlags kNavAllowMultipleFiles = 0x00000080;
inline constexpr WindowModality kWindowModalityNone = 0;
inline constexpr WindowModality kWindowModalityAppModal = 2;
inline constexpr WindowModality kWindowModalityWindowModal = 3;

// NavCustomControl selectors: both take a CFStringRef*; the name read is a copy that the
// caller releases.
inline constexpr SInt32 kNavCtlSetEditFileName = 35;
inline constexpr SInt32 kNavCtlGetEditFileName = 36;

struct NavDialogCreationOptions {
    UInt16 version = 0;
    NavDialogOptionFlags optionFlags = 0;
    Point location{-1, -1};
    CFStringRef clientName = nullptr;
    CFStringRef windowTitle = nullptr;
    CFStringRef actionButtonLabel = nullptr;
    CFStringRef cancelButtonLabel = nullptr;
    CFStringRef saveFileName = nullptr;
    CFStringRef message = nullptr;
    UInt32 preferenceKey = 0;
    CFArrayRef popupExtension = nullptr;
    WindowModality modality = kWindowModalityAppModal;
    WindowRef parentWindow = nullptr;
};

// A pop-up item: the filter pop-up's items carry the creator 'extn' and their position.
struct NavMenuItemSpec {
    UInt16 version = 0;
    OSType menuCreator = 0;
    OSType menuType = 0;
};

struct NavCBRec {
    UInt16 version = 0;
    NavDialogRef context = nullptr;
    WindowRef window = nullptr;
    void* param = nullptr; // a NavMenuItemSpec* for kNavCBPopupMenuSelect
};
using NavCBRecPtr = NavCBRec*;

struct NavFileOrFolderInfo {
    UInt16 version = 0;
    Boolean isFolder = false;
    Boolean visible = true;
    OSType fileType = 0;
    OSType fileCreator = 0;
};

struct NavReplyRecord {
    UInt16 version = 0;
    Boolean validRecord = false;
    Boolean replacing = false;
    AEDescList selection;
    CFStringRef saveFileName = nullptr; // put dialogs: the typed name
};

using NavEventProcPtr = void (*)(NavEventCallbackMessage, NavCBRecPtr, void* userData);
using NavEventUPP = NavEventProcPtr;
using NavObjectFilterProcPtr = Boolean (*)(AEDesc* item, void* info, void* userData,
                                           NavFilterModes mode);
using NavObjectFilterUPP = NavObjectFilterProcPtr;
using NavPreviewUPP = void*;

inline NavEventUPP NewNavEventUPP(NavEventProcPtr proc) {
    return proc;
}
inline void DisposeNavEventUPP(NavEventUPP) {}
inline NavObjectFilterUPP NewNavObjectFilterUPP(NavObjectFilterProcPtr proc) {
    return proc;
}
inline void DisposeNavObjectFilterUPP(NavObjectFilterUPP) {}

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions);
OSStatus NavCreatePutFileDialog(const NavDialogCreationOptions* options, OSType fileType,
                                OSType fileCreator, NavEventUPP eventProc, void* userData,
                                NavDialogRef* outDialog);
OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* options, NavTypeListHandle typeList,
                                NavEventUPP eventProc, NavPreviewUPP previewProc,
                                NavObjectFilterUPP filterProc, void* userData,
                                NavDialogRef* outDialog);
OSStatus NavCreateChooseFileDialog(const NavDialogCreationOptions* options,
                                   NavTypeListHandle typeList, NavEventUPP eventProc,
                                   NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                                   void* userData, NavDialogRef* outDialog);
OSStatus NavCreateChooseFolderDialog(const NavDialogCreationOptions* options, NavEventUPP eventProc,
                                     NavObjectFilterUPP filterProc, void* userData,
                                     NavDialogRef* outDialog);
OSStatus NavDialogRun(NavDialogRef dialog);
// After a cancel the reply is not valid.
OSStatus NavDialogGetReply(NavDialogRef dialog, NavReplyRecord* outReply);
OSStatus NavDisposeReply(NavReplyRecord* reply);
void NavDialogDispose(NavDialogRef dialog);
OSStatus NavCustomControl(NavDialogRef dialog, SInt32 selector, void* parms);

} // namespace tbx

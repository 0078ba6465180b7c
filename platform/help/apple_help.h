// Apple Help: the help books of application bundles, opened in the desktop's browser.
//
// A bundle's help book is the folder that its Info.plist names under
// "CFBundleHelpBookFolder", in Contents/Resources/English.lproj or else in
// Contents/Resources; it is registered under the name "CFBundleHelpBookName". A page opens as
// a file URL, with the anchor as its fragment, through xdg-open (LaunchProgram).
#pragma once

#include "platform/cf_string.h"
#include "platform/files/fs_types.h"

namespace tbx {

inline constexpr OSStatus kAHInternalErr = -10790;

// Registers the help book of the bundle folder at `appBundleRef`, replacing one registered
// under the same name. paramErr for null; fnfErr when the Info.plist names no book or the
// book's folder is missing.
OSStatus AHRegisterHelpBook(const FSRef* appBundleRef);

// Opens `path`, relative to the book's folder, at `anchor` (none when null). Without a path
// the book's title page opens: the first page (by name) of the folder whose text carries the
// "AppleTitle" meta tag. kAHInternalErr for a book that is not registered; paramErr for a
// path that leaves the book's folder, by its text or through a symbolic link; fnfErr for a
// page that is not there; otherwise the launcher's status.
OSStatus AHGotoPage(CFStringRef bookname, CFStringRef path, CFStringRef anchor);

} // namespace tbx

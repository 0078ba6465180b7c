// Folder Manager: the standard folders of the user and of the machine.
//
// User domain: 'temp' is a folder private to the user ($TMPDIR or /tmp, then
// "stravel-<uid>", mode 0700, owned by the user; anything else there is refused); 'asup' is
// $XDG_DATA_HOME (~/.local/share); 'pref' is $XDG_CONFIG_HOME (~/.config); 'docs' and 'desk'
// are the XDG user folders of documents and desktop. Local and system domains give the
// shared data and configuration folders; the network and classic domains have none.
#pragma once

#include "platform/files/fs_types.h"

namespace tbx {

enum : SInt16 {
    kOnSystemDisk = -32768,
    kSystemDomain = -32766,
    kLocalDomain = -32765,
    kNetworkDomain = -32764,
    kUserDomain = -32763,
    kClassicDomain = -32762,
};

enum : Boolean {
    kDontCreateFolder = 0,
    kCreateFolder = 1,
};

constexpr OSType kTemporaryFolderType = FourCC("temp");
constexpr OSType kApplicationSupportFolderType = FourCC("asup");
constexpr OSType kPreferencesFolderType = FourCC("pref");
constexpr OSType kDocumentsFolderType = FourCC("docs");
constexpr OSType kDesktopFolderType = FourCC("desk");

// fnfErr when the domain has no such folder or it is missing and not to be created.
OSErr FSFindFolder(SInt16 domain, OSType folderType, Boolean createFolder, FSRef* foundRef);

} // namespace tbx

// Copying a file or a whole folder tree, with its data, resource and named forks, Finder
// information, dates and permissions, into a folder. Every file and folder keeps all its
// extended attributes (other programs' among them), its access lists (POSIX ACLs, a folder's
// default one included) or their absence whatever the destination gives new items, and its
// trusted and security attributes where the process may set them. The tree is read and written
// by folder descriptors, so a folder swapped for a link while the copy runs is never followed.
// Links are copied as links; other special files are skipped. A folder that can be written and
// searched but not read (a drop box) is made empty, without its user attributes, which cannot
// be read either; any other item that cannot be read or examined, or whose attributes cannot
// all be kept, fails the copy. Results are File Manager codes (0 = no error).
#pragma once

#include "platform/files/fs_types.h"

enum : tbx::UInt32 {
    kDupeActionStandard = 0, // an item of the new name makes the copy fail (dupFNErr)
    kDupeActionReplace = 1,  // an item of the new name is replaced once the copy is complete
};

// Copies `source` into `destinationFolder` under `newName` (null: its own name). maxLevels 0
// copies the whole tree; otherwise folders deeper than that are made empty. A folder is never
// copied into itself or its own sub-folders (paramErr). The copy is made under a temporary
// name and renamed into place at the end, so a failure leaves nothing behind and a replaced
// item stays intact until the copy is complete.
tbx::OSErr FSCopyObject(const tbx::FSRef* source, const tbx::FSRef* destinationFolder,
                        tbx::UInt32 maxLevels, tbx::UInt32 dupeAction,
                        const tbx::HFSUniStr255* newName, tbx::FSRef* newObject,
                        tbx::FSSpec* newObjectSpec);

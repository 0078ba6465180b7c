// Copying a file or a whole folder tree, with its data, resource and named forks, Finder
// information, dates and permissions, into a folder. The tree is read and written by folder
// descriptors, so a folder swapped for a link while the copy runs is never followed. Links are
// copied as links; other special files are skipped. A folder that can be written and searched
// but not read (a drop box) is made empty; any other item that cannot be read or examined
// fails the copy. Results are File Manager codes (0 = no error).
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

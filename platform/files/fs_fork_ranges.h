// File Manager calls on open forks beyond reading and writing: byte-range locks and the file
// an open fork belongs to. Range locks are open-file-description locks: a second opening of
// the same fork, in this process or another, is refused a range that the first one holds.
#pragma once

#include "platform/files/fs_forks.h"

namespace tbx {

enum : OSErr {
    afpRangeNotLocked = -5020,
    afpRangeOverlap = -5021,
};

// Locks `requestCount` bytes from the position the mode gives; the start goes to
// rangeStart. afpRangeOverlap when another opening holds part of the range.
OSErr FSLockRange(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  UInt64 requestCount, UInt64* rangeStart);
OSErr FSUnlockRange(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                    UInt64 requestCount, UInt64* rangeStart);
// The file whose fork is open under the number.
OSErr FSGetForkCBInfo(SInt16 forkRefNum, FSRef* ref);

} // namespace tbx

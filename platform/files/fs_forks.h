// File Manager fork calls. The data fork is the file itself; the resource fork is the
// AppleDouble "._name" sidecar beside it, which the first write creates. A fork reference that
// is not open gives rfNumErr.
#pragma once

#include "platform/files/fs_types.h"

namespace tbx {

using ByteCount = std::size_t;

enum : SInt8 {
    fsCurPerm = 0,
    fsRdPerm = 1,
    fsWrPerm = 2,
    fsRdWrPerm = 3,
};

enum : UInt16 {
    fsAtMark = 0,
    fsFromStart = 1,
    fsFromLEOF = 2,
    fsFromMark = 3,
    // Hint that the bytes need not stay in the cache; accepted and ignored.
    noCacheMask = 0x0020,
};

OSErr FSGetDataForkName(HFSUniStr255* name);
OSErr FSGetResourceForkName(HFSUniStr255* name);

// Opens a fork named by its UTF-16 name ("" for the data fork, "RESOURCE_FORK" for the
// resource fork). Writing to a locked file gives fLckdErr.
OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, SInt16* forkRefNum);
OSErr FSCloseFork(SInt16 forkRefNum);
// Reads at the position given by the mode; eofErr with the bytes that were there when the
// end comes first; ioErr when the system fails to read.
OSErr FSReadFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount);
// Writes every byte or fails (dskFulErr on a full device).
OSErr FSWriteFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount);
// posErr for a position before the start.
OSErr FSSetForkPosition(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset);
OSErr FSGetForkPosition(SInt16 forkRefNum, SInt64* position);
OSErr FSGetForkSize(SInt16 forkRefNum, SInt64* forkSize);
OSErr FSSetForkSize(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset);
// Space is not reserved ahead here; the call checks the fork and reports the size asked.
OSErr FSAllocateFork(SInt16 forkRefNum, UInt32 flags, UInt16 positionMode, SInt64 positionOffset,
                     UInt64 requestCount, UInt64* actualCount);
// Every write reaches the system at once, so flushing only checks the reference.
OSErr FSFlushFork(SInt16 forkRefNum);

} // namespace tbx

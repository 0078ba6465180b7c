// File Manager fork calls. The data fork is the file itself; the resource fork is the
// AppleDouble "._name" sidecar beside it, which the first write creates; any other fork is the
// extended attribute "user." followed by its name in UTF-8 (at most 64 KiB, less where the file
// system allows less), which the first write creates too. A fork reference that is not open
// gives rfNumErr.
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
// resource fork). Writing to a locked file gives fLckdErr; a pipe or anything else that is not
// a file is never waited on (notAFileErr). A named fork the file does not have is
// errFSForkNotFound unless opened for writing; where the file system keeps no user attributes
// there are none.
OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, SInt16* forkRefNum);
OSErr FSCloseFork(SInt16 forkRefNum);
// Reads at the position given by the mode; eofErr with the bytes that were there when the
// end comes first; ioErr when the system fails to read.
OSErr FSReadFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount);
// Writes every byte or fails (dskFulErr on a full device; fileBoundsErr for a named fork that
// would grow past what the file system allows, which then keeps its old bytes).
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

// A place in a listing of forks: `initialize` is 0 for the first call and kept by the calls.
struct CatPositionRec {
    SInt32 initialize = 0;
    SInt16 priv[6] = {};
};
// The forks of a file one by one: the data fork, the resource fork when it holds bytes, then
// the named forks in byte order of their names; errFSNoMoreItems after the last, and at once
// for anything but a file. Any output may be null. Each named fork that lasts throughout a walk
// is given once however many walks run; one made or removed during it may be met or not. A walk
// left unfinished while a great many others stepped gets errFSIteratorNotFound, as does a copy
// of a record that its walk has moved on from.
OSErr FSIterateForks(const FSRef* ref, CatPositionRec* forkIterator, HFSUniStr255* forkName,
                     SInt64* forkSize, UInt64* forkPhysicalSize);
// Empties the data or the resource fork, or removes a named fork (errFSForkNotFound when the
// file has none of that name). fLckdErr for a locked file.
OSErr FSDeleteFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName);

} // namespace tbx

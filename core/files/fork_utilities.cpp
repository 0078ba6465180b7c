#include "core/files/fork_utilities.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_ranges.h"

using namespace tbx;

namespace {

constexpr ByteCount kBlock = 4096;
constexpr ByteCount kReserve = 32768;

ByteCount RoundDown(ByteCount size) {
    return size / kBlock * kBlock;
}

// Memory the system could hand out now.
ByteCount AvailableMemory() {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? ByteCount(pages) * ByteCount(pageSize) : 0;
}

OSErr ReadSizes(const FSRef* ref, FSCatalogInfo& info) {
    if (!ref)
        return paramErr;
    return FSGetCatalogInfo(ref, kFSCatInfoNodeFlags | kFSCatInfoDataSizes | kFSCatInfoRsrcSizes,
                            &info, nullptr, nullptr, nullptr);
}

} // namespace

OSErr FSCopyFork(SInt16 sourceRefNum, SInt16 destinationRefNum, void* copyBuffer,
                 ByteCount copyBufferSize) {
    if (!copyBuffer || copyBufferSize == 0)
        return paramErr;
    if (copyBufferSize >= kBlock)
        copyBufferSize = RoundDown(copyBufferSize);
    SInt64 size = 0;
    if (OSErr error = FSGetForkSize(sourceRefNum, &size))
        return error;
    if (OSErr error = FSSetForkSize(destinationRefNum, fsFromStart, size))
        return error;
    if (OSErr error = FSSetForkPosition(sourceRefNum, fsFromStart, 0))
        return error;
    if (OSErr error = FSSetForkPosition(destinationRefNum, fsFromStart, 0))
        return error;
    SInt64 copied = 0;
    for (;;) {
        ByteCount got = 0;
        const OSErr read =
            FSReadFork(sourceRefNum, fsAtMark | noCacheMask, 0, copyBufferSize, copyBuffer, &got);
        if (read != noErr && read != eofErr)
            return read;
        if (got) {
            if (OSErr error = FSWriteFork(destinationRefNum, fsAtMark | noCacheMask, 0, got,
                                          copyBuffer, nullptr))
                return error;
            copied += SInt64(got);
        }
        if (read == eofErr || got == 0)
            break;
    }
    // The source may have shrunk while it was read.
    return copied == size ? OSErr(noErr) : FSSetForkSize(destinationRefNum, fsFromStart, copied);
}

OSErr FSGetForkSizes(const FSRef* ref, UInt64* dataLogicalSize, UInt64* rsrcLogicalSize) {
    FSCatalogInfo info;
    if (OSErr error = ReadSizes(ref, info))
        return error;
    if (info.nodeFlags & kFSNodeIsDirectoryMask)
        return notAFileErr;
    if (dataLogicalSize)
        *dataLogicalSize = info.dataLogicalSize;
    if (rsrcLogicalSize)
        *rsrcLogicalSize = info.rsrcLogicalSize;
    return noErr;
}

OSErr FSGetTotalForkSizes(const FSRef* ref, UInt64* totalLogicalSize, UInt64* totalPhysicalSize,
                          UInt32* forkCount) {
    if (!ref)
        return paramErr;
    UInt64 logical = 0, physical = 0;
    UInt32 forks = 0;
    CatPositionRec position;
    SInt64 size = 0;
    UInt64 used = 0;
    OSErr error;
    while ((error = FSIterateForks(ref, &position, nullptr, &size, &used)) == noErr) {
        logical += UInt64(size);
        physical += used;
        ++forks;
    }
    if (error != errFSNoMoreItems)
        return error;
    if (totalLogicalSize)
        *totalLogicalSize = logical;
    if (totalPhysicalSize)
        *totalPhysicalSize = physical;
    if (forkCount)
        *forkCount = forks;
    return noErr;
}

OSErr FSLockRangeCompat(SInt16 forkRefNum, SInt32 rangeLength, SInt32 rangeStart) {
    if (rangeLength <= 0 || rangeStart < 0)
        return paramErr;
    return FSLockRange(forkRefNum, fsFromStart, rangeStart, UInt64(rangeLength), nullptr);
}

OSErr FSUnlockRangeCompat(SInt16 forkRefNum, SInt32 rangeLength, SInt32 rangeStart) {
    if (rangeLength <= 0 || rangeStart < 0)
        return paramErr;
    return FSUnlockRange(forkRefNum, fsFromStart, rangeStart, UInt64(rangeLength), nullptr);
}

OSErr FileRefNumGetFSRef(SInt16 refNum, FSRef* ref) {
    return FSGetForkCBInfo(refNum, ref);
}

ByteCount TempBufferSize(ByteCount requestedSize, ByteCount availableMemory) {
    const ByteCount size = std::max(RoundDown(requestedSize), kBlock);
    // Less than the reserve free leaves the smallest buffer, never a wrapped-around size.
    const ByteCount ceiling =
        availableMemory > kReserve + kBlock ? RoundDown(availableMemory - kReserve) : kBlock;
    return std::min(size, ceiling);
}

void* GetTempBuffer(ByteCount requestedSize, ByteCount* actualSize) {
    if (actualSize)
        *actualSize = 0;
    ByteCount size = TempBufferSize(requestedSize, AvailableMemory());
    void* buffer = std::malloc(size);
    if (!buffer && size > kBlock) {
        size = kBlock;
        buffer = std::malloc(size);
    }
    if (buffer && actualSize)
        *actualSize = size;
    return buffer;
}

// Utilities on forks: whole-fork copies, fork sizes, byte-range locks and copy buffers.
// Results are File Manager codes (0 = no error); a null argument gives paramErr.
#pragma once

#include "platform/files/fs_forks.h"
#include "platform/files/fs_types.h"

// Copies the whole of one open fork into another from their starts through the caller's
// buffer: the destination's size is set to the source's first; a buffer of 4096 bytes or
// more is used in a multiple of 4096, a smaller one whole.
tbx::OSErr FSCopyFork(tbx::SInt16 sourceRefNum, tbx::SInt16 destinationRefNum, void* copyBuffer,
                      tbx::ByteCount copyBufferSize);
// Logical sizes of the data and resource forks of a file (either output may be null).
tbx::OSErr FSGetForkSizes(const tbx::FSRef* ref, tbx::UInt64* dataLogicalSize,
                          tbx::UInt64* rsrcLogicalSize);
// Sums over the forks of an item (a file has its data fork, a resource fork when that holds
// bytes, and its named forks; a folder has none).
tbx::OSErr FSGetTotalForkSizes(const tbx::FSRef* ref, tbx::UInt64* totalLogicalSize,
                               tbx::UInt64* totalPhysicalSize, tbx::UInt32* forkCount);
// Byte-range locks from the start of an open fork; another opening is refused a locked range.
tbx::OSErr FSLockRangeCompat(tbx::SInt16 forkRefNum, tbx::SInt32 rangeLength,
                             tbx::SInt32 rangeStart);
tbx::OSErr FSUnlockRangeCompat(tbx::SInt16 forkRefNum, tbx::SInt32 rangeLength,
                               tbx::SInt32 rangeStart);
// The file of an open fork.
tbx::OSErr FileRefNumGetFSRef(tbx::SInt16 refNum, tbx::FSRef* ref);

// A buffer of the requested size rounded down to a multiple of 4096 (at least 4096), never
// more than the memory available less 32 KiB allows (4096 at the least); its size goes to
// actualSize. Null when even that cannot be had. The caller frees it with std::free.
void* GetTempBuffer(tbx::ByteCount requestedSize, tbx::ByteCount* actualSize);
// The size GetTempBuffer asks for with that much memory available.
tbx::ByteCount TempBufferSize(tbx::ByteCount requestedSize, tbx::ByteCount availableMemory);

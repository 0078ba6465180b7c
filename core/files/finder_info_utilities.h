// Utilities on Finder information (16 bytes and 16 extended bytes, big-endian as stored) and
// on the dates and locked attribute of an item. Results are File Manager codes.
#pragma once

#include "platform/files/fs_types.h"

// Either output may be null.
tbx::OSErr FSGetFinderInfo(const tbx::FSRef* ref, tbx::UInt8* info16, tbx::UInt8* extendedInfo16,
                           tbx::Boolean* isDirectory);
// A null input leaves that half unchanged.
tbx::OSErr FSSetFinderInfo(const tbx::FSRef* ref, const tbx::UInt8* info16,
                           const tbx::UInt8* extendedInfo16);
// A zero creator or type leaves that one unchanged; notAFileErr for a folder.
tbx::OSErr FSChangeCreatorType(const tbx::FSRef* ref, tbx::OSType creator, tbx::OSType type);
tbx::OSErr FSChangeFinderFlags(const tbx::FSRef* ref, tbx::Boolean setBits, tbx::UInt16 flagBits);
tbx::OSErr FSSetInvisible(const tbx::FSRef* ref);
tbx::OSErr FSClearInvisible(const tbx::FSRef* ref);
tbx::OSErr FSSetNameLocked(const tbx::FSRef* ref);
tbx::OSErr FSClearNameLocked(const tbx::FSRef* ref);
tbx::OSErr FSSetIsStationery(const tbx::FSRef* ref);
tbx::OSErr FSClearIsStationery(const tbx::FSRef* ref);
tbx::OSErr FSSetHasCustomIcon(const tbx::FSRef* ref);
tbx::OSErr FSClearHasCustomIcon(const tbx::FSRef* ref);
tbx::OSErr FSClearHasBeenInited(const tbx::FSRef* ref);
// Gives the destination the source's locked attribute (when asked to copy it).
tbx::OSErr FSCopyFileMgrAttributes(const tbx::FSRef* source, const tbx::FSRef* destination,
                                   tbx::Boolean copyLockBit);
// Moves the content modification date to now, or one second past the old date when that
// is not earlier than now, so that the date always changes.
tbx::OSErr FSBumpDate(const tbx::FSRef* ref);

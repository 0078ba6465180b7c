#include "core/files/finder_info_utilities.h"

#include <cstring>
#include <ctime>

#include "platform/files/fs_catalog.h"

using namespace tbx;

namespace {

constexpr FSCatalogInfoBitmap kFinderBits = kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo;
// Seconds from 1904-01-01 to 1970-01-01.
constexpr UInt64 kEpochOffset = 2082844800;

UInt64 Seconds(const UTCDateTime& date) {
    return (UInt64(date.highSeconds) << 32) | date.lowSeconds;
}

UTCDateTime Date(UInt64 seconds) {
    UTCDateTime date;
    date.highSeconds = UInt16(seconds >> 32);
    date.lowSeconds = UInt32(seconds);
    return date;
}

// The Finder information of `ref` with any `more` fields; paramErr for a null reference.
OSErr ReadFinderInfo(const FSRef* ref, FSCatalogInfo& info, FSCatalogInfoBitmap more = 0) {
    if (!ref)
        return paramErr;
    return FSGetCatalogInfo(ref, kFinderBits | more, &info, nullptr, nullptr, nullptr);
}

// Finder flags sit at byte 8 of a file's and of a folder's Finder information.
OSErr ChangeFlags(const FSRef* ref, bool set, UInt16 bits) {
    FSCatalogInfo info;
    if (OSErr error = ReadFinderInfo(ref, info))
        return error;
    UInt16 flags = UInt16(info.finderInfo[8] << 8 | info.finderInfo[9]);
    flags = set ? UInt16(flags | bits) : UInt16(flags & ~bits);
    info.finderInfo[8] = UInt8(flags >> 8);
    info.finderInfo[9] = UInt8(flags);
    return FSSetCatalogInfo(ref, kFinderBits, &info);
}

} // namespace

OSErr FSGetFinderInfo(const FSRef* ref, UInt8* info16, UInt8* extendedInfo16,
                      Boolean* isDirectory) {
    FSCatalogInfo info;
    if (OSErr error = ReadFinderInfo(ref, info, kFSCatInfoNodeFlags))
        return error;
    if (info16)
        std::memcpy(info16, info.finderInfo, 16);
    if (extendedInfo16)
        std::memcpy(extendedInfo16, info.extFinderInfo, 16);
    if (isDirectory)
        *isDirectory = (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
    return noErr;
}

OSErr FSSetFinderInfo(const FSRef* ref, const UInt8* info16, const UInt8* extendedInfo16) {
    FSCatalogInfo info;
    if (OSErr error = ReadFinderInfo(ref, info))
        return error;
    if (info16)
        std::memcpy(info.finderInfo, info16, 16);
    if (extendedInfo16)
        std::memcpy(info.extFinderInfo, extendedInfo16, 16);
    return FSSetCatalogInfo(ref, kFinderBits, &info);
}

OSErr FSChangeCreatorType(const FSRef* ref, OSType creator, OSType type) {
    FSCatalogInfo info;
    if (OSErr error = ReadFinderInfo(ref, info, kFSCatInfoNodeFlags))
        return error;
    if (info.nodeFlags & kFSNodeIsDirectoryMask)
        return notAFileErr;
    FileInfo file = GetFileInfo(info);
    if (creator)
        file.fileCreator = creator;
    if (type)
        file.fileType = type;
    SetFileInfo(info, file);
    return FSSetCatalogInfo(ref, kFinderBits, &info);
}

OSErr FSChangeFinderFlags(const FSRef* ref, Boolean setBits, UInt16 flagBits) {
    return ChangeFlags(ref, setBits, flagBits);
}

OSErr FSSetInvisible(const FSRef* ref) {
    return ChangeFlags(ref, true, kIsInvisible);
}

OSErr FSClearInvisible(const FSRef* ref) {
    return ChangeFlags(ref, false, kIsInvisible);
}

OSErr FSSetNameLocked(const FSRef* ref) {
    return ChangeFlags(ref, true, kNameLocked);
}

OSErr FSClearNameLocked(const FSRef* ref) {
    return ChangeFlags(ref, false, kNameLocked);
}

OSErr FSSetIsStationery(const FSRef* ref) {
    return ChangeFlags(ref, true, kIsStationery);
}

OSErr FSClearIsStationery(const FSRef* ref) {
    return ChangeFlags(ref, false, kIsStationery);
}

OSErr FSSetHasCustomIcon(const FSRef* ref) {
    return ChangeFlags(ref, true, kHasCustomIcon);
}

OSErr FSClearHasCustomIcon(const FSRef* ref) {
    return ChangeFlags(ref, false, kHasCustomIcon);
}

OSErr FSClearHasBeenInited(const FSRef* ref) {
    return ChangeFlags(ref, false, kHasBeenInited);
}

OSErr FSCopyFileMgrAttributes(const FSRef* source, const FSRef* destination, Boolean copyLockBit) {
    if (!source || !destination)
        return paramErr;
    FSCatalogInfo info;
    if (OSErr error =
            FSGetCatalogInfo(source, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr))
        return error;
    if (!copyLockBit)
        return noErr;
    return FSSetLocked(destination, (info.nodeFlags & kFSNodeLockedMask) != 0);
}

OSErr FSBumpDate(const FSRef* ref) {
    if (!ref)
        return paramErr;
    FSCatalogInfo info;
    if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoContentMod, &info, nullptr, nullptr, nullptr))
        return error;
    const UInt64 now = UInt64(std::time(nullptr)) + kEpochOffset;
    const UInt64 old = Seconds(info.contentModDate);
    info.contentModDate = Date(now > old ? now : old + 1);
    return FSSetCatalogInfo(ref, kFSCatInfoContentMod, &info);
}

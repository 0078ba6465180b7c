// File Manager values: file references, catalogue information, Finder information, and the
// result codes of file calls.
#pragma once

#include <string>

#include "platform/types.h"

namespace tbx {

// Result codes of the file calls beyond those in platform/types.h.
enum : OSStatus {
    dirFulErr = -33,
    dskFulErr = -34,
    nsvErr = -35,
    bdNamErr = -37,
    fnOpnErr = -38,
    posErr = -40,
    tmfoErr = -42,
    vLckdErr = -46,
    opWrErr = -49,
    rfNumErr = -51,
    permErr = -54,
    wrPermErr = -61,
    notAFileErr = -1302,
    diffVolErr = -1303,
    fileBoundsErr = -1309,
    errFSBadFSRef = -1401,
    errFSBadForkName = -1402,
    errFSBadItemCount = -1404,
    errFSForkNotFound = -1409,
    errFSNameTooLong = -1410,
    errFSNoMoreItems = -1417,
    errFSBadIteratorFlags = -1419,
    errFSRefsDifferent = -1420,
    errFSIteratorNotFound = -1423,
    afpAccessDenied = -5000,
};

// A reference to an existing file or folder: its full path (UTF-8). A zero-filled reference
// has an empty path. A reference taken from a folder listing names a symbolic link itself;
// one made from a path text follows a link at its end, as the kernel does.
struct FSRef {
    std::string path;
    bool noFollow = false;
};

// A file record (FSSpec): the full path (UTF-8) of an item that may not exist yet.
struct FSSpec {
    std::string path;
};

// Seconds since 1904-01-01 UTC with a 1/65536 fraction.
struct UTCDateTime {
    UInt16 highSeconds = 0;
    UInt32 lowSeconds = 0;
    UInt16 fraction = 0;
};

// Finder information of a file and of a folder, as values. On disk both are 16 bytes in the
// big-endian layout of the original system.
struct FileInfo {
    OSType fileType = 0;
    OSType fileCreator = 0;
    UInt16 finderFlags = 0;
    Point location;
    UInt16 reservedField = 0;
};

struct FolderInfo {
    Rect windowBounds;
    UInt16 finderFlags = 0;
    Point location;
    UInt16 reservedField = 0;
};

enum : UInt16 {
    kIsAlias = 0x8000,
    kIsInvisible = 0x4000,
    kHasBundle = 0x2000,
    kNameLocked = 0x1000,
    kIsStationery = 0x0800,
    kHasCustomIcon = 0x0400,
    kHasBeenInited = 0x0100,
};

enum : UInt16 {
    kFSNodeLockedMask = 0x0001,
    kFSNodeIsDirectoryMask = 0x0010,
};

struct FSPermissionInfo {
    UInt32 userID = 0;
    UInt32 groupID = 0;
    UInt16 mode = 0;
};

using FSCatalogInfoBitmap = UInt32;
enum : FSCatalogInfoBitmap {
    kFSCatInfoNone = 0,
    kFSCatInfoTextEncoding = 0x00000001,
    kFSCatInfoNodeFlags = 0x00000002,
    kFSCatInfoVolume = 0x00000004,
    kFSCatInfoParentDirID = 0x00000008,
    kFSCatInfoNodeID = 0x00000010,
    kFSCatInfoCreateDate = 0x00000020,
    kFSCatInfoContentMod = 0x00000040,
    kFSCatInfoAttrMod = 0x00000080,
    kFSCatInfoAccessDate = 0x00000100,
    kFSCatInfoBackupDate = 0x00000200,
    kFSCatInfoPermissions = 0x00000400,
    kFSCatInfoFinderInfo = 0x00000800,
    kFSCatInfoFinderXInfo = 0x00001000,
    kFSCatInfoValence = 0x00002000,
    kFSCatInfoDataSizes = 0x00004000,
    kFSCatInfoRsrcSizes = 0x00008000,
    kFSCatInfoAllDates = 0x000003E0,
    kFSCatInfoGettableInfo = 0x0003FFFF,
    kFSCatInfoSettableInfo = 0x00001FE3,
};

enum : UInt32 {
    kFSRootDirID = 2,
};

// Catalogue information. finderInfo and extFinderInfo hold the on-disk bytes (big-endian);
// read and write them with the helpers below.
struct FSCatalogInfo {
    UInt16 nodeFlags = 0;
    SInt16 volume = 0;
    UInt32 parentDirID = 0;
    UInt32 nodeID = 0;
    UTCDateTime createDate;
    UTCDateTime contentModDate;
    UTCDateTime attributeModDate;
    UTCDateTime accessDate;
    UTCDateTime backupDate;
    FSPermissionInfo permissions;
    UInt8 finderInfo[16] = {};
    UInt8 extFinderInfo[16] = {};
    UInt32 valence = 0;
    UInt64 dataLogicalSize = 0;
    UInt64 dataPhysicalSize = 0;
    UInt64 rsrcLogicalSize = 0;
    UInt64 rsrcPhysicalSize = 0;
    UInt32 textEncodingHint = 0;
};

FileInfo GetFileInfo(const FSCatalogInfo& info);
void SetFileInfo(FSCatalogInfo& info, const FileInfo& fileInfo);
FolderInfo GetFolderInfo(const FSCatalogInfo& info);
void SetFolderInfo(FSCatalogInfo& info, const FolderInfo& folderInfo);

} // namespace tbx

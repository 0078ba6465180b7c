// Utilities on file references: conversions, names and node ids, access rights, user and
// group names, file id references, lock checks and the default folder. Results are File
// Manager codes (0 = no error); a null argument gives paramErr.
#pragma once

#include "platform/files/fs_types.h"
#include "platform/files/fs_volumes.h"

enum : tbx::OSErr {
    fidNotFound = -1300,
};

enum : tbx::UInt8 {
    kioACUserNoSeeFolderMask = 0x01,
    kioACUserNoSeeFilesMask = 0x02,
    kioACUserNoMakeChangesMask = 0x04,
    kioACUserNotOwnerMask = 0x80,
};

enum : tbx::SInt16 {
    kOwnerID2Name = 1,
    kGroupID2Name = 2,
    kOwnerName2ID = 3,
    kGroupName2ID = 4,
};

tbx::OSErr FSRefMakeFSSpec(const tbx::FSRef* ref, tbx::FSSpec* fileSpec);
// Only a volume's root folder (kFSRootDirID) can be named by a folder id here (dirNFErr).
tbx::OSErr FSMakeFSRef(tbx::FSVolumeRefNum volume, tbx::SInt32 folderID, const unsigned char* name,
                       tbx::FSRef* ref);
tbx::OSErr FSMakePath(tbx::FSVolumeRefNum volume, tbx::SInt32 folderID, const unsigned char* name,
                      tbx::UInt8* path, tbx::UInt32 maxPathSize);
// The record of a path whose folder exists: fnfErr (and the record) when the item itself
// does not.
tbx::OSErr FSPathMakeFSSpec(const tbx::UInt8* path, tbx::FSSpec* fileSpec,
                            tbx::Boolean* isDirectory);
tbx::Boolean FSRefValid(const tbx::FSRef* ref);

// The root folder's parent is a zero-filled reference.
tbx::OSErr FSGetParentRef(const tbx::FSRef* ref, tbx::FSRef* parentRef);
tbx::OSErr FSGetFileDirName(const tbx::FSRef* ref, tbx::HFSUniStr255* name);
tbx::OSErr FSGetNodeID(const tbx::FSRef* ref, tbx::SInt32* nodeID, tbx::Boolean* isDirectory);
// What this process may do with the item (kioACUser... bits) and its owner, group and mode
// (permissions[0..2]).
tbx::OSErr FSGetUserPrivilegesPermissions(const tbx::FSRef* ref, tbx::UInt8* userPrivileges,
                                          tbx::UInt32 permissions[4]);
// A folder's access rights: one byte each for owner, group and everyone (0x01 see folders,
// 0x02 see files, 0x04 make changes), and in the top byte this process's privileges.
tbx::OSErr FSGetDirAccess(const tbx::FSRef* ref, tbx::SInt32* ownerID, tbx::SInt32* groupID,
                          tbx::SInt32* accessRights);
tbx::OSErr FSSetDirAccess(const tbx::FSRef* ref, tbx::SInt32 ownerID, tbx::SInt32 groupID,
                          tbx::SInt32 accessRights);
// User and group names (at most 31 bytes) and ids; fnfErr when unknown.
tbx::OSErr FSMapID(tbx::FSVolumeRefNum volume, tbx::SInt32 ugID, tbx::SInt16 objType,
                   unsigned char* name);
tbx::OSErr FSMapName(tbx::FSVolumeRefNum volume, const unsigned char* name, tbx::SInt16 objType,
                     tbx::SInt32* ugID);
// File ids: a file's node id, resolvable in this process once created here; fidNotFound for
// any other id or a file that has gone.
tbx::OSErr FSCreateFileIDRef(const tbx::FSRef* ref, tbx::SInt32* fileID);
tbx::OSErr FSResolveFileIDRef(tbx::FSVolumeRefNum volume, tbx::SInt32 fileID, tbx::FSRef* ref);

// fLckdErr for a locked item, vLckdErr on a read-only volume, wPrErr on a hardware-locked
// one, else 0.
tbx::OSErr FSCheckLock(const tbx::FSRef* ref);

// The process's current folder becomes `newDefault`; the old one goes to oldDefault.
tbx::OSErr FSSetDefault(const tbx::FSRef* newDefault, tbx::FSRef* oldDefault);
tbx::OSErr FSRestoreDefault(const tbx::FSRef* oldDefault);

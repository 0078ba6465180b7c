// Volumes: the mounted file systems of the mount table, numbered -1, -2, ... in its order
// (one number per device). Sizes come from statvfs; a read-only mount is a software-locked
// volume. The root file system is named kStartupVolumeName, any other volume by the last
// component of its mount point.
#pragma once

#include "platform/files/fs_types.h"

namespace tbx {

using FSVolumeRefNum = SInt16;
using ItemCount = UInt32;
constexpr FSVolumeRefNum kFSInvalidVolumeRefNum = 0;

enum : UInt16 {
    kFSVolFlagHardwareLockedMask = 0x0080,
    kFSVolFlagSoftwareLockedMask = 0x8000,
};

struct FSVolumeInfo {
    UInt64 totalBytes = 0;
    UInt64 freeBytes = 0;
    UInt32 blockSize = 0;
    UInt32 totalBlocks = 0;
    UInt32 freeBlocks = 0;
    UInt16 signature = 0;    // the low 16 bits of the file system's magic number
    UInt16 filesystemID = 0; // 0: handled by the system itself
    UInt16 flags = 0;
};

// The volume `volume`, or with kFSInvalidVolumeRefNum the volumeIndex-th (from 1); nsvErr
// when there is none. Each output may be null.
OSErr FSGetVolumeInfo(FSVolumeRefNum volume, ItemCount volumeIndex, FSVolumeRefNum* actualVolume,
                      FSVolumeInfo* info, HFSUniStr255* volumeName, FSRef* rootDirectory);
// The volume that holds an item.
OSErr FSGetVolumeOfRef(const FSRef* ref, FSVolumeRefNum* volume);

} // namespace tbx

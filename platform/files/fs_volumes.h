// Volumes: the mounted file systems of the mount table, numbered -1, -2, ... in its order
// (one number per device). Sizes come from statvfs; a read-only mount is a software-locked
// volume. The root file system is named kStartupVolumeName, any other volume by the last
// component of its mount point.
#pragma once

#include <cstddef>

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

// Writes everything cached for the volume to its device (syncfs).
OSErr FSFlushVolume(FSVolumeRefNum volume);

// Mounting information: this header, then the volume's entry of /proc/self/mountinfo as six
// NUL-terminated UTF-8 strings, unescaped: the folder of the file system that is mounted,
// the mount point, the mount options, the file system type, the source and the options of
// the file system itself. The header has the original system's packed layout.
#pragma pack(push, 2)
struct VolumeMountInfoHeader {
    SInt16 length = 0; // of the whole record, header included
    OSType media = 0;  // kLinuxMountMedia
    SInt16 flags = 0;
};
#pragma pack(pop)
constexpr OSType kLinuxMountMedia = FourCC("lnxm");

using ByteCount = std::size_t;
// The record's size; paramErr when it would not fit its 16-bit length.
OSErr FSGetVolumeMountInfoSize(FSVolumeRefNum volume, ByteCount* size);
// The record, into a buffer of `bufferSize` bytes; paramErr when it does not fit.
OSErr FSGetVolumeMountInfo(FSVolumeRefNum volume, void* buffer, ByteCount bufferSize,
                           ByteCount* actualSize);
// Mounts what such a record describes through mount(2): its source, file system type and
// options on its mount point; `volume` (may be null) gets the volume mounted. paramErr for a
// record that is not well formed or that describes a folder inside a file system (a bind
// mount); the kernel's refusal, such as afpAccessDenied without the privilege, as its error.
OSErr FSMountVolume(const void* record, FSVolumeRefNum* volume);

} // namespace tbx

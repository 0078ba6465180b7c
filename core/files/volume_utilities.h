// Utilities on volumes: the mounted file systems, their names, sizes and mounting
// information. Results are File Manager codes (0 = no error).
#pragma once

#include <vector>

#include "platform/files/fs_types.h"
#include "platform/files/fs_volumes.h"

struct GetVolParmsInfoBuffer {
    tbx::SInt16 vMVersion = 0;
    tbx::SInt32 vMAttrib = 0; // no server-side copy, no exchange through the volume
    void* vMLocalHand = nullptr;
    tbx::SInt32 vMServerAdr = 0; // 0: a local volume
};

tbx::OSErr FSGetVolParms(tbx::FSVolumeRefNum volume, tbx::UInt32 bufferSize,
                         GetVolParmsInfoBuffer* volParmsInfo, tbx::UInt32* actualInfoSize);
tbx::OSErr FSGetVRefNum(const tbx::FSRef* ref, tbx::FSVolumeRefNum* volume);
// Any output may be null.
tbx::OSErr FSGetVInfo(tbx::FSVolumeRefNum volume, tbx::HFSUniStr255* volumeName,
                      tbx::UInt64* freeBytes, tbx::UInt64* totalBytes);
tbx::OSErr FSGetVolFileSystemID(tbx::FSVolumeRefNum volume, tbx::UInt16* fileSystemID,
                                tbx::UInt16* signature);
// The root folders of every mounted volume.
tbx::OSErr FSGetMountedVolumes(std::vector<tbx::FSRef>& volumes);
// Mounting information as tbx::FSGetVolumeMountInfo describes it; the buffer holds infoSize
// bytes (paramErr when the record does not fit). Mounting as tbx::FSMountVolume does.
tbx::OSErr FSGetVolMountInfoSize(tbx::FSVolumeRefNum volume, tbx::UInt16* size);
tbx::OSErr FSGetVolMountInfo(tbx::FSVolumeRefNum volume, void* volMountInfo, tbx::UInt16 infoSize);
tbx::OSErr FSVolumeMount(const void* volMountInfo, tbx::FSVolumeRefNum* volume);

#include "core/files/volume_utilities.h"

using namespace tbx;

OSErr FSGetVolParms(FSVolumeRefNum volume, UInt32 bufferSize, GetVolParmsInfoBuffer* volParmsInfo,
                    UInt32* actualInfoSize) {
    if (!volParmsInfo || bufferSize < sizeof(GetVolParmsInfoBuffer))
        return paramErr;
    if (OSErr error = FSGetVolumeInfo(volume, 0, nullptr, nullptr, nullptr, nullptr))
        return error;
    *volParmsInfo = GetVolParmsInfoBuffer();
    volParmsInfo->vMVersion = 1;
    if (actualInfoSize)
        *actualInfoSize = sizeof(GetVolParmsInfoBuffer);
    return noErr;
}

OSErr FSGetVRefNum(const FSRef* ref, FSVolumeRefNum* volume) {
    return FSGetVolumeOfRef(ref, volume);
}

OSErr FSGetVInfo(FSVolumeRefNum volume, HFSUniStr255* volumeName, UInt64* freeBytes,
                 UInt64* totalBytes) {
    FSVolumeInfo info;
    if (OSErr error = FSGetVolumeInfo(volume, 0, nullptr, &info, volumeName, nullptr))
        return error;
    if (freeBytes)
        *freeBytes = info.freeBytes;
    if (totalBytes)
        *totalBytes = info.totalBytes;
    return noErr;
}

OSErr FSGetVolFileSystemID(FSVolumeRefNum volume, UInt16* fileSystemID, UInt16* signature) {
    FSVolumeInfo info;
    if (OSErr error = FSGetVolumeInfo(volume, 0, nullptr, &info, nullptr, nullptr))
        return error;
    if (fileSystemID)
        *fileSystemID = info.filesystemID;
    if (signature)
        *signature = info.signature;
    return noErr;
}

OSErr FSGetMountedVolumes(std::vector<FSRef>& volumes) {
    volumes.clear();
    for (ItemCount index = 1;; ++index) {
        FSRef root;
        const OSErr error =
            FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, nullptr, nullptr, nullptr, &root);
        if (error == nsvErr)
            return noErr;
        if (error)
            return error;
        volumes.push_back(root);
    }
}

OSErr FSGetVolMountInfoSize(FSVolumeRefNum volume, UInt16* size) {
    ByteCount bytes = 0;
    if (!size)
        return paramErr;
    if (OSErr error = FSGetVolumeMountInfoSize(volume, &bytes))
        return error;
    *size = UInt16(bytes);
    return noErr;
}

OSErr FSGetVolMountInfo(FSVolumeRefNum volume, void* volMountInfo, UInt16 infoSize) {
    return FSGetVolumeMountInfo(volume, volMountInfo, infoSize, nullptr);
}

OSErr FSVolumeMount(const void* volMountInfo, FSVolumeRefNum* volume) {
    return FSMountVolume(volMountInfo, volume);
}

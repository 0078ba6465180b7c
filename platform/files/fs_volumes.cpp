#include "platform/files/fs_volumes.h"

#include <cerrno>
#include <mntent.h>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <vector>

#include "platform/files/cf_url.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"

namespace tbx {

namespace {

struct Volume {
    std::string mountPoint;
    dev_t device;
};

// One entry per device, in the order of the mount table.
std::vector<Volume> MountedVolumes() {
    std::vector<Volume> volumes;
    FILE* table = setmntent("/proc/self/mounts", "r");
    if (!table)
        return volumes;
    mntent entry;
    char buffer[4096];
    while (getmntent_r(table, &entry, buffer, sizeof buffer)) {
        struct stat info;
        if (stat(entry.mnt_dir, &info) != 0)
            continue;
        bool known = false;
        for (const Volume& v : volumes)
            known = known || v.device == info.st_dev;
        if (!known)
            volumes.push_back({entry.mnt_dir, info.st_dev});
    }
    endmntent(table);
    return volumes;
}

} // namespace

OSErr FSGetVolumeInfo(FSVolumeRefNum volume, ItemCount volumeIndex, FSVolumeRefNum* actualVolume,
                      FSVolumeInfo* info, HFSUniStr255* volumeName, FSRef* rootDirectory) {
    const std::vector<Volume> volumes = MountedVolumes();
    const long index = volume == kFSInvalidVolumeRefNum ? long(volumeIndex) - 1 : -long(volume) - 1;
    if (index < 0 || index >= long(volumes.size()) || index > 32766)
        return nsvErr;
    const Volume& v = volumes[std::size_t(index)];
    if (actualVolume)
        *actualVolume = FSVolumeRefNum(-(index + 1));
    if (info) {
        struct statvfs sizes;
        struct statfs kind;
        if (statvfs(v.mountPoint.c_str(), &sizes) != 0 || statfs(v.mountPoint.c_str(), &kind) != 0)
            return FSErrorFromErrno(errno);
        *info = FSVolumeInfo();
        info->blockSize = UInt32(sizes.f_frsize);
        info->totalBytes = UInt64(sizes.f_blocks) * sizes.f_frsize;
        info->freeBytes = UInt64(sizes.f_bavail) * sizes.f_frsize;
        info->totalBlocks = UInt32(std::min<UInt64>(sizes.f_blocks, 0xFFFFFFFFu));
        info->freeBlocks = UInt32(std::min<UInt64>(sizes.f_bavail, 0xFFFFFFFFu));
        info->signature = UInt16(kind.f_type);
        if (sizes.f_flag & ST_RDONLY)
            info->flags |= kFSVolFlagSoftwareLockedMask;
    }
    if (volumeName) {
        const std::string name =
            v.mountPoint == "/" ? std::string(kStartupVolumeName) : fs_detail::LeafOf(v.mountPoint);
        fs_detail::Utf8ToName(name, *volumeName);
    }
    if (rootDirectory)
        return fs_detail::MakeRef(v.mountPoint, false, *rootDirectory);
    return noErr;
}

OSErr FSGetVolumeOfRef(const FSRef* ref, FSVolumeRefNum* volume) {
    if (!ref || !volume)
        return paramErr;
    struct stat info;
    if (OSErr error = fs_detail::StatRef(*ref, info))
        return error;
    const std::vector<Volume> volumes = MountedVolumes();
    for (std::size_t i = 0; i < volumes.size() && i < 32767; ++i) {
        if (volumes[i].device == info.st_dev) {
            *volume = FSVolumeRefNum(-long(i) - 1);
            return noErr;
        }
    }
    return nsvErr;
}

} // namespace tbx

#include "platform/files/fs_volumes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>
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

// A field of the mount information with its octal escapes ("\\040" for a space) undone.
std::string Unescaped(const std::string& field) {
    const auto octal = [&field](std::size_t i) {
        return i < field.size() && field[i] >= '0' && field[i] <= '7';
    };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out +=
                char((field[i + 1] - '0') << 6 | (field[i + 2] - '0') << 3 | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// One entry per device, in the order of the mount table. Lines are read whole, however long
// (a long source or option list must not hide a volume).
std::vector<Volume> MountedVolumes() {
    std::vector<Volume> volumes;
    std::ifstream table("/proc/self/mounts");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint;
        if (!(fields >> source >> mountPoint))
            continue;
        mountPoint = Unescaped(mountPoint);
        struct stat info;
        if (stat(mountPoint.c_str(), &info) != 0)
            continue;
        bool known = false;
        for (const Volume& v : volumes)
            known = known || v.device == info.st_dev;
        if (!known)
            volumes.push_back({mountPoint, info.st_dev});
    }
    return volumes;
}

bool VolumeOf(FSVolumeRefNum volume, Volume& out) {
    const std::vector<Volume> volumes = MountedVolumes();
    const long index = -long(volume) - 1;
    if (index < 0 || index >= long(volumes.size()))
        return false;
    out = volumes[std::size_t(index)];
    return true;
}

// The record of the last entry mounted on the volume's mount point: the one that is seen
// there. Empty when there is none.
std::string MountRecord(const Volume& volume) {
    std::ifstream table("/proc/self/mountinfo");
    std::string line, record;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::vector<std::string> all;
        for (std::string field; fields >> field;)
            all.push_back(field);
        std::size_t separator = 6;
        while (separator < all.size() && all[separator] != "-")
            ++separator;
        if (separator + 3 >= all.size() || Unescaped(all[4]) != volume.mountPoint)
            continue;
        record.assign(sizeof(VolumeMountInfoHeader), '\0');
        for (const std::size_t i : {std::size_t(3), std::size_t(4), std::size_t(5), separator + 1,
                                    separator + 2, separator + 3})
            record += Unescaped(all[i]) + '\0';
    }
    return record;
}

OSErr MountRecordOf(FSVolumeRefNum volume, std::string& record) {
    Volume v;
    if (!VolumeOf(volume, v))
        return nsvErr;
    record = MountRecord(v);
    if (record.empty() || record.size() > 0x7FFF)
        return paramErr;
    VolumeMountInfoHeader header;
    header.length = SInt16(record.size());
    header.media = kLinuxMountMedia;
    std::memcpy(record.data(), &header, sizeof header);
    return noErr;
}

// The volume of a device; nsvErr when no mounted file system is on it.
OSErr VolumeOfDevice(dev_t device, FSVolumeRefNum* volume) {
    const std::vector<Volume> volumes = MountedVolumes();
    for (std::size_t i = 0; i < volumes.size() && i < 32767; ++i) {
        if (volumes[i].device == device) {
            *volume = FSVolumeRefNum(-long(i) - 1);
            return noErr;
        }
    }
    return nsvErr;
}

// The words of the mount information that stand for mount(2) flags; "rw" stands for none.
struct FlagWord {
    const char* word;
    unsigned long flag;
};
constexpr FlagWord kFlagWords[] = {
    {"rw", 0},
    {"ro", MS_RDONLY},
    {"nosuid", MS_NOSUID},
    {"nodev", MS_NODEV},
    {"noexec", MS_NOEXEC},
    {"noatime", MS_NOATIME},
    {"nodiratime", MS_NODIRATIME},
    {"relatime", MS_RELATIME},
    {"nosymfollow", MS_NOSYMFOLLOW},
    {"sync", MS_SYNCHRONOUS},
    {"dirsync", MS_DIRSYNC},
    {"lazytime", MS_LAZYTIME},
    {"mand", MS_MANDLOCK},
};

// Splits a comma-separated option list into mount(2) flags and the file system's own options.
void SplitOptions(const std::string& options, unsigned long& flags, std::string& data) {
    std::istringstream words(options);
    for (std::string word; std::getline(words, word, ',');) {
        const auto found = std::find_if(std::begin(kFlagWords), std::end(kFlagWords),
                                        [&word](const FlagWord& f) { return word == f.word; });
        if (found != std::end(kFlagWords))
            flags |= found->flag;
        else if (!word.empty())
            data += (data.empty() ? "" : ",") + word;
    }
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
    return VolumeOfDevice(info.st_dev, volume);
}

OSErr FSFlushVolume(FSVolumeRefNum volume) {
    Volume v;
    if (!VolumeOf(volume, v))
        return nsvErr;
    const int fd = open(v.mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    const int flushed = syncfs(fd);
    const int error = errno;
    close(fd);
    return flushed == 0 ? OSErr(noErr) : FSErrorFromErrno(error);
}

OSErr FSGetVolumeMountInfoSize(FSVolumeRefNum volume, ByteCount* size) {
    if (!size)
        return paramErr;
    std::string record;
    if (OSErr error = MountRecordOf(volume, record))
        return error;
    *size = record.size();
    return noErr;
}

OSErr FSGetVolumeMountInfo(FSVolumeRefNum volume, void* buffer, ByteCount bufferSize,
                           ByteCount* actualSize) {
    if (!buffer)
        return paramErr;
    std::string record;
    if (OSErr error = MountRecordOf(volume, record))
        return error;
    if (record.size() > bufferSize)
        return paramErr;
    std::memcpy(buffer, record.data(), record.size());
    if (actualSize)
        *actualSize = record.size();
    return noErr;
}

OSErr FSMountVolume(const void* record, FSVolumeRefNum* volume) {
    if (!record)
        return paramErr;
    VolumeMountInfoHeader header;
    std::memcpy(&header, record, sizeof header);
    if (header.media != kLinuxMountMedia || header.length < SInt16(sizeof header))
        return paramErr;
    const char* bytes = static_cast<const char*>(record);
    const std::size_t length = std::size_t(header.length);
    std::vector<std::string> fields;
    for (std::size_t at = sizeof header; at < length;) {
        const void* end = std::memchr(bytes + at, '\0', length - at);
        if (!end)
            return paramErr;
        fields.emplace_back(bytes + at, static_cast<const char*>(end));
        at += fields.back().size() + 1;
    }
    // A folder of a file system mounted elsewhere (a bind mount) cannot be made anew.
    if (fields.size() != 6 || fields[0] != "/")
        return paramErr;
    const std::string &mountPoint = fields[1], &type = fields[3], &source = fields[4];
    unsigned long flags = 0;
    std::string data;
    SplitOptions(fields[2], flags, data);
    SplitOptions(fields[5], flags, data);
    // Without an access-time word the kernel would choose relatime; the record said neither.
    if (!(flags & (MS_NOATIME | MS_RELATIME)))
        flags |= MS_STRICTATIME;
    if (mount(source.c_str(), mountPoint.c_str(), type.c_str(), flags,
              data.empty() ? nullptr : data.c_str()) != 0)
        return FSErrorFromErrno(errno);
    struct stat info;
    if (stat(mountPoint.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    FSVolumeRefNum mounted = kFSInvalidVolumeRefNum;
    const OSErr error = VolumeOfDevice(info.st_dev, &mounted);
    if (volume)
        *volume = mounted;
    return error;
}

} // namespace tbx

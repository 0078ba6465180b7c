#include "platform/files/fs_forks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_walks.h"
#include "platform/files/fs_internal.h"
#include "platform/files/fs_named_forks.h"
#include "platform/files/fs_sidecar.h"

namespace tbx {

using namespace fs_detail;

namespace {

const char16_t kResourceForkName[] = u"RESOURCE_FORK";

struct Fork {
    int fd = -1;           // -1 for a resource fork whose sidecar is not written yet
    bool resource = false; // bytes live in the sidecar after its header
    std::string attribute; // a named fork: the attribute of the file that holds its bytes
    bool canRead = false;
    bool canWrite = false;
    bool seekable = true;
    std::string path; // the file itself
    SInt64 position = 0;
    SInt64 base = 0;   // resource fork: offset of its bytes in the sidecar
    SInt64 length = 0; // resource fork: its length
    SInt64 entry = 0;  // resource fork: where the sidecar keeps its offset and length
};

std::mutex gForkMutex;
std::map<SInt16, Fork> gForks;
SInt16 gNextFork = 1;

Fork* Find(SInt16 refNum) {
    auto found = gForks.find(refNum);
    return found == gForks.end() ? nullptr : &found->second;
}

OSErr ForkSize(const Fork& fork, SInt64& size) {
    if (fork.resource) {
        size = fork.length;
        return noErr;
    }
    if (!fork.attribute.empty()) {
        // One not written yet, or deleted by someone else, is empty.
        const OSErr error = NamedForkSize(DescriptorPath(fork.fd), fork.attribute, size);
        return error == errFSForkNotFound ? OSErr(noErr) : error;
    }
    struct stat info;
    if (fstat(fork.fd, &info) != 0)
        return FSErrorFromErrno(errno);
    size = info.st_size;
    return noErr;
}

OSErr Position(Fork& fork, UInt16 mode, SInt64 offset, SInt64& out) {
    SInt64 origin = 0;
    switch (mode & 3) {
    case fsAtMark:
        out = fork.position;
        return noErr;
    case fsFromStart:
        break;
    case fsFromLEOF:
        if (OSErr error = ForkSize(fork, origin))
            return error;
        break;
    case fsFromMark:
        origin = fork.position;
        break;
    }
    if ((offset > 0 && origin > INT64_MAX - offset) || origin + offset < 0)
        return posErr;
    out = origin + offset;
    return noErr;
}

// Reads at `at` until `count` bytes came or the end was met.
OSErr ReadAt(Fork& fork, SInt64 at, std::size_t count, char* buffer, std::size_t& got) {
    got = 0;
    while (got < count) {
        ssize_t n = fork.seekable ? pread(fork.fd, buffer + got, count - got, off_t(at + got))
                                  : read(fork.fd, buffer + got, count - got);
        if (n < 0 && errno == ESPIPE && fork.seekable) {
            fork.seekable = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ioErr;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    return noErr;
}

OSErr WriteAt(Fork& fork, SInt64 at, std::size_t count, const char* buffer, std::size_t& put) {
    put = 0;
    while (put < count) {
        ssize_t n = fork.seekable ? pwrite(fork.fd, buffer + put, count - put, off_t(at + put))
                                  : write(fork.fd, buffer + put, count - put);
        if (n < 0 && errno == ESPIPE && fork.seekable) {
            fork.seekable = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FSErrorFromErrno(errno);
        if (n == 0)
            return dskFulErr;
        put += std::size_t(n);
    }
    return noErr;
}

// A named fork is read and stored whole; one not written yet is empty.
OSErr ReadNamed(const Fork& fork, std::string& value) {
    const OSErr error = ReadNamedFork(DescriptorPath(fork.fd), fork.attribute, value);
    return error == errFSForkNotFound ? OSErr(noErr) : error;
}

// The fork with `count` bytes at `at` (none: cut or grown with zeros to `at`), stored at
// once, or the old fork kept whole. Nothing past what an attribute can hold is allocated.
OSErr ChangeNamed(const Fork& fork, SInt64 at, const char* bytes, std::size_t count) {
    if (at < 0 || UInt64(at) + count > kMaxNamedFork)
        return fileBoundsErr;
    std::string value;
    if (OSErr error = ReadNamed(fork, value))
        return error;
    if (!bytes)
        value.resize(std::size_t(at));
    else if (std::size_t(at) + count > value.size())
        value.resize(std::size_t(at) + count);
    if (bytes)
        std::memcpy(value.data() + at, bytes, count);
    return WriteNamedFork(DescriptorPath(fork.fd), fork.attribute, value);
}

// The file itself, opened without waiting, should a pipe have taken its place: one would hold
// the caller until someone wrote to it. Once open, reads and writes wait as they always do.
OSErr OpenForkFile(const std::string& path, int flags, bool devices, int& fd) {
    fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    struct stat info;
    OSErr error = fstat(fd, &info) == 0 ? OSErr(noErr) : FSErrorFromErrno(errno);
    if (!error && !S_ISREG(info.st_mode) && !(devices && S_ISCHR(info.st_mode)))
        error = notAFileErr;
    if (!error && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = FSErrorFromErrno(errno);
    if (error) {
        close(fd);
        fd = -1;
    }
    return error;
}

// The offset goes with the length: an empty fork's entry may not have held it yet.
OSErr StoreSidecarLength(Fork& fork) {
    if (!WriteForkEntry(fork.fd, fork.entry, fork.base, fork.length))
        return FSErrorFromErrno(errno);
    return noErr;
}

// The sidecar is made on the first write to a resource fork.
OSErr EnsureSidecar(Fork& fork) {
    if (fork.fd >= 0)
        return noErr;
    const std::string sidecar = SidecarPath(fork.path);
    const int fd = open(sidecar.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    const std::string header = NewSidecar(nullptr);
    SidecarLayout layout;
    OSErr error = ioErr;
    if (!WriteAll(fd, header.data(), header.size(), 0) || !ReadSidecarLayout(fd, layout, error)) {
        error = errno == ENOSPC ? OSErr(dskFulErr) : error;
        close(fd);
        unlink(sidecar.c_str());
        return error;
    }
    fork.fd = fd;
    fork.base = layout.forkOffset;
    fork.length = 0;
    fork.entry = layout.forkEntry;
    return noErr;
}

} // namespace

OSErr FSGetDataForkName(HFSUniStr255* name) {
    if (!name)
        return paramErr;
    *name = HFSUniStr255();
    return noErr;
}

OSErr FSGetResourceForkName(HFSUniStr255* name) {
    if (!name)
        return paramErr;
    *name = HFSUniStr255();
    name->length = UInt16(std::char_traits<char16_t>::length(kResourceForkName));
    std::memcpy(name->unicode, kResourceForkName, name->length * sizeof(UniChar));
    return noErr;
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, SInt16* forkRefNum) {
    if (!ref || !forkRefNum || ref->path.empty())
        return paramErr;
    *forkRefNum = 0;
    if (forkName && forkNameLength > 255)
        return errFSBadForkName;
    const std::u16string name(forkName ? forkName : u"", forkName ? forkNameLength : 0);
    const bool resource = name == kResourceForkName;
    std::string attribute;
    if (!resource && !name.empty())
        if (OSErr error = NamedForkAttribute(name, attribute))
            return error;
    struct stat info;
    if (OSErr error = StatRef(*ref, info))
        return error;
    // Only a file has forks; a character device's bytes pass for a data fork.
    const bool device = S_ISCHR(info.st_mode) && name.empty();
    if (!S_ISREG(info.st_mode) && !device)
        return notAFileErr;
    Fork fork;
    fork.path = ref->path;
    fork.resource = resource;
    fork.attribute = attribute;
    fork.canRead = permissions != fsWrPerm;
    fork.canWrite = permissions == fsWrPerm || permissions == fsRdWrPerm;
    if (permissions == fsCurPerm)
        fork.canWrite = !IsLocked(info);
    if (fork.canWrite && IsLocked(info))
        return fLckdErr;
    const int access = fork.canWrite ? (fork.canRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    const int follow = ref->noFollow ? O_NOFOLLOW : 0;
    if (!resource) {
        if (OSErr error = OpenForkFile(ref->path, access | follow, device, fork.fd))
            return error;
        // A named fork that is not there yet is made by the first write.
        bool exists = false;
        const OSErr error = attribute.empty()
                                ? OSErr(noErr)
                                : FindNamedFork(DescriptorPath(fork.fd), attribute, exists);
        if (error || (!attribute.empty() && !exists && !fork.canWrite)) {
            close(fork.fd);
            return error ? error : OSErr(errFSForkNotFound);
        }
    } else {
        const std::string sidecar = SidecarPath(ref->path);
        // Anything but a plain file of that name is someone else's, and a pipe is not waited on.
        struct stat sidecarInfo;
        if (lstat(sidecar.c_str(), &sidecarInfo) == 0 && !S_ISREG(sidecarInfo.st_mode))
            return ioErr;
        const int fd = open(sidecar.c_str(), (fork.canWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC |
                                                 O_NOFOLLOW | O_NONBLOCK);
        if (fd >= 0) {
            SidecarLayout layout;
            OSErr error = noErr;
            if (!ReadSidecarLayout(fd, layout, error)) {
                close(fd);
                return error;
            }
            fork.base = layout.forkOffset;
            fork.length = layout.forkLength;
            fork.entry = layout.forkEntry;
            // Growing a fork that other entries follow would overwrite them.
            if (fork.canWrite &&
                (fstat(fd, &sidecarInfo) != 0 || fork.base + fork.length != sidecarInfo.st_size)) {
                close(fd);
                return permErr;
            }
            fork.fd = fd;
        } else if (errno != ENOENT) {
            return FSErrorFromErrno(errno);
        }
    }
    std::lock_guard<std::mutex> lock(gForkMutex);
    if (gForks.size() >= 32000) {
        if (fork.fd >= 0)
            close(fork.fd);
        return tmfoErr;
    }
    while (gNextFork <= 0 || gForks.count(gNextFork))
        gNextFork = gNextFork <= 0 || gNextFork == INT16_MAX ? 1 : SInt16(gNextFork + 1);
    *forkRefNum = gNextFork;
    gForks[gNextFork] = std::move(fork);
    gNextFork = gNextFork == INT16_MAX ? 1 : SInt16(gNextFork + 1);
    return noErr;
}

OSErr FSCloseFork(SInt16 forkRefNum) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    OSErr error = noErr;
    if (fork->fd >= 0 && close(fork->fd) != 0)
        error = FSErrorFromErrno(errno);
    gForks.erase(forkRefNum);
    return error;
}

OSErr FSReadFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount) {
    if (actualCount)
        *actualCount = 0;
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    if (!buffer && requestCount)
        return paramErr;
    if (!fork->canRead)
        return afpAccessDenied;
    SInt64 at = 0;
    if (OSErr error = Position(*fork, positionMode, positionOffset, at))
        return error;
    if (!fork->attribute.empty()) {
        std::string value;
        if (OSErr error = ReadNamed(*fork, value))
            return error;
        const std::size_t got =
            at < SInt64(value.size()) ? std::min(requestCount, value.size() - std::size_t(at)) : 0;
        if (got)
            std::memcpy(buffer, value.data() + at, got);
        fork->position = at + SInt64(got);
        if (actualCount)
            *actualCount = got;
        return got < requestCount ? OSErr(eofErr) : OSErr(noErr);
    }
    std::size_t want = requestCount;
    if (fork->resource) {
        const SInt64 left = fork->length > at ? fork->length - at : 0;
        if (SInt64(want) > left)
            want = std::size_t(left);
    }
    std::size_t got = 0;
    OSErr error = noErr;
    if (want && fork->fd >= 0)
        error = ReadAt(*fork, fork->base + at, want, static_cast<char*>(buffer), got);
    fork->position = at + SInt64(got);
    if (actualCount)
        *actualCount = got;
    if (error)
        return error;
    return got < requestCount ? OSErr(eofErr) : OSErr(noErr);
}

OSErr FSWriteFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount) {
    if (actualCount)
        *actualCount = 0;
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    if (!buffer && requestCount)
        return paramErr;
    if (!fork->canWrite)
        return wrPermErr;
    SInt64 at = 0;
    if (OSErr error = Position(*fork, positionMode, positionOffset, at))
        return error;
    if (requestCount == 0) {
        fork->position = at;
        return noErr;
    }
    if (!fork->attribute.empty()) {
        if (OSErr error = ChangeNamed(*fork, at, static_cast<const char*>(buffer), requestCount))
            return error;
        fork->position = at + SInt64(requestCount);
        if (actualCount)
            *actualCount = requestCount;
        return noErr;
    }
    if (fork->resource) {
        if (OSErr error = EnsureSidecar(*fork))
            return error;
        // Offsets and lengths in a sidecar are 32-bit.
        if (fork->base + at + SInt64(requestCount) > SInt64(UINT32_MAX))
            return dskFulErr;
    }
    std::size_t put = 0;
    OSErr error =
        WriteAt(*fork, fork->base + at, requestCount, static_cast<const char*>(buffer), put);
    fork->position = at + SInt64(put);
    if (fork->resource && fork->position > fork->length) {
        fork->length = fork->position;
        if (OSErr stored = StoreSidecarLength(*fork); stored && !error)
            error = stored;
    }
    if (actualCount)
        *actualCount = put;
    return error;
}

OSErr FSSetForkPosition(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    SInt64 at = 0;
    if (OSErr error = Position(*fork, positionMode, positionOffset, at))
        return error;
    fork->position = at;
    return noErr;
}

OSErr FSGetForkPosition(SInt16 forkRefNum, SInt64* position) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    if (!position)
        return paramErr;
    *position = fork->position;
    return noErr;
}

OSErr FSGetForkSize(SInt16 forkRefNum, SInt64* forkSize) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    if (!forkSize)
        return paramErr;
    return ForkSize(*fork, *forkSize);
}

OSErr FSSetForkSize(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    if (!fork->canWrite)
        return wrPermErr;
    SInt64 size = 0;
    if (OSErr error = Position(*fork, positionMode, positionOffset, size))
        return error;
    if (!fork->attribute.empty())
        return ChangeNamed(*fork, size, nullptr, 0);
    if (fork->resource) {
        if (size == fork->length)
            return noErr;
        if (OSErr error = EnsureSidecar(*fork))
            return error;
        if (fork->base + size > SInt64(UINT32_MAX))
            return dskFulErr;
        if (ftruncate(fork->fd, off_t(fork->base + size)) != 0)
            return FSErrorFromErrno(errno);
        fork->length = size;
        return StoreSidecarLength(*fork);
    }
    if (ftruncate(fork->fd, off_t(size)) != 0)
        return FSErrorFromErrno(errno);
    return noErr;
}

OSErr FSAllocateFork(SInt16 forkRefNum, UInt32, UInt16, SInt64, UInt64 requestCount,
                     UInt64* actualCount) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    if (!Find(forkRefNum))
        return rfNumErr;
    if (actualCount)
        *actualCount = requestCount;
    return noErr;
}

OSErr FSFlushFork(SInt16 forkRefNum) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    return Find(forkRefNum) ? OSErr(noErr) : OSErr(rfNumErr);
}

OSErr FSIterateForks(const FSRef* ref, CatPositionRec* forkIterator, HFSUniStr255* forkName,
                     SInt64* forkSize, UInt64* forkPhysicalSize) {
    if (!ref || !forkIterator || ref->path.empty() || forkIterator->initialize < 0)
        return paramErr;
    // Positions: 0 the data fork, 1 the resource fork (passed over while it is empty), then
    // the named forks.
    SInt64 at = forkIterator->initialize;
    HFSUniStr255 name;
    std::string attribute; // a named fork's, whose name is made only when asked for
    SInt64 size = 0;
    UInt64 physical = 0;
    if (at <= 1) {
        FSCatalogInfo info;
        if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoDataSizes | kFSCatInfoRsrcSizes, &info,
                                           nullptr, nullptr, nullptr))
            return error;
        if (!S_ISREG(info.permissions.mode))
            return errFSNoMoreItems;
        if (at == 1 && info.rsrcLogicalSize == 0)
            ++at;
        if (at == 0) {
            FSGetDataForkName(&name);
            size = SInt64(info.dataLogicalSize);
            physical = info.dataPhysicalSize;
        } else if (at == 1) {
            FSGetResourceForkName(&name);
            size = SInt64(info.rsrcLogicalSize);
            physical = info.rsrcPhysicalSize;
        }
    }
    if (at >= 2) {
        if (OSErr error = NextNamedFork(*ref, *forkIterator, at, attribute, size))
            return error;
        physical = UInt64(size);
    }
    forkIterator->initialize = SInt32(at + 1);
    if (forkName && !attribute.empty())
        NamedForkName(attribute, *forkName);
    else if (forkName)
        *forkName = name;
    if (forkSize)
        *forkSize = size;
    if (forkPhysicalSize)
        *forkPhysicalSize = physical;
    return noErr;
}

OSErr FSDeleteFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName) {
    if (!ref)
        return paramErr;
    SInt16 fork = 0;
    if (OSErr error = FSOpenFork(ref, forkNameLength, forkName, fsWrPerm, &fork))
        return error;
    const std::u16string name(forkName ? forkName : u"", forkName ? forkNameLength : 0);
    OSErr error = noErr;
    if (name.empty() || name == kResourceForkName) {
        error = FSSetForkSize(fork, fsFromStart, 0);
    } else {
        std::lock_guard<std::mutex> lock(gForkMutex);
        const Fork& named = *Find(fork);
        error = RemoveNamedFork(DescriptorPath(named.fd), named.attribute);
    }
    const OSErr closed = FSCloseFork(fork);
    return error ? error : closed;
}

OSErr fs_detail::WithForkFile(SInt16 forkRefNum, const ForkFileUse& use) {
    std::lock_guard<std::mutex> lock(gForkMutex);
    Fork* fork = Find(forkRefNum);
    if (!fork)
        return rfNumErr;
    // A named fork has no bytes in a file of its own.
    return use(fork->attribute.empty() ? fork->fd : -1, fork->base, fork->path);
}

} // namespace tbx

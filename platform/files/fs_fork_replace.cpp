#include "platform/files/fs_fork_replace.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"

namespace tbx {

using namespace fs_detail;

namespace {

bool WriteAll(int fd, const char* bytes, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t n = pwrite(fd, bytes, size, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= std::size_t(n);
        at += n;
    }
    return true;
}

// The bytes of an existing sidecar up to its fork, and where it keeps the fork's length;
// nothing when there is no sidecar.
OSErr ReadEntriesBeforeFork(const std::string& sidecar, std::vector<char>& before,
                            SInt64& lengthField) {
    const int fd = open(sidecar.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? OSErr(noErr) : FSErrorFromErrno(errno);
    SInt64 offset = 0, length = 0;
    OSErr error = noErr;
    struct stat info;
    if (ReadSidecarLayout(fd, offset, length, lengthField, error)) {
        if (fstat(fd, &info) != 0 || offset + length != info.st_size) {
            error = permErr;
        } else {
            before.resize(std::size_t(offset));
            if (pread(fd, before.data(), before.size(), 0) != ssize_t(before.size()))
                error = ioErr;
        }
    }
    close(fd);
    return error;
}

} // namespace

OSErr FSReplaceResourceFork(const FSRef* ref, const void* bytes, ByteCount size) {
    if (!ref || ref->path.empty() || (!bytes && size) || size > 0xFFFFFFFFu)
        return paramErr;
    struct stat file;
    if (OSErr error = StatRef(*ref, file))
        return error;
    if (!S_ISREG(file.st_mode))
        return notAFileErr;
    if (IsLocked(file))
        return fLckdErr;
    const std::string sidecar = SidecarPath(ref->path);
    // A sidecar made elsewhere may hold other entries before the fork (Finder information,
    // comments): they are kept, and the fork keeps its place at the end. A fork that other
    // entries follow, or a file of that name that is not a sidecar, is left alone.
    std::vector<char> before;
    SInt64 lengthField = kSidecarLengthField;
    if (OSErr error = ReadEntriesBeforeFork(sidecar, before, lengthField))
        return error;
    // Named like a sidecar so that listings never show it.
    std::string temporary = sidecar + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    struct stat old;
    const mode_t mode = lstat(sidecar.c_str(), &old) == 0 ? old.st_mode : file.st_mode;
    const UInt32 length = UInt32(size);
    const UInt8 field[4] = {UInt8(length >> 24), UInt8(length >> 16), UInt8(length >> 8),
                            UInt8(length)};
    const off_t start = before.empty() ? off_t(kSidecarHeaderSize) : off_t(before.size());
    const bool written =
        fchmod(fd, mode & 0666) == 0 &&
        (before.empty() ? WriteSidecarHeader(fd) : WriteAll(fd, before.data(), before.size(), 0)) &&
        WriteAll(fd, static_cast<const char*>(bytes), size, start) &&
        WriteAll(fd, reinterpret_cast<const char*>(field), 4, off_t(lengthField)) && fsync(fd) == 0;
    const int error = written ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 || !written || rename(temporary.c_str(), sidecar.c_str()) != 0) {
        const int failure = error ? error : errno;
        unlink(temporary.c_str());
        return FSErrorFromErrno(failure);
    }
    return noErr;
}

} // namespace tbx

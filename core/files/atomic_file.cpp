#include "core/files/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/limits.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/file_functions.h"
#include "core/paths/path.h"
#include "platform/files/fs_attributes.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_temporary.h"

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

constexpr int64_t kAtEnd = -1;

// All the bytes at `offset`, or where the file position is for kAtEnd.
bool WriteAll(int fd, const char* data, std::size_t size, int64_t offset = kAtEnd) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = offset == kAtEnd
                              ? ::write(fd, data + done, size - done)
                              : ::pwrite(fd, data + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Durability of the rename itself; a folder that cannot be synced loses nothing written.
void SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The item a chain of links ends at, which need not exist yet: an editor saving through a
// link to a file not yet written makes that file. `exists` tells whether `info` describes it.
bool FollowLinks(const std::string& path, std::string& target, struct stat& info, bool& exists) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        exists = ::lstat(target.c_str(), &info) == 0;
        if (!exists || !S_ISLNK(info.st_mode))
            return true;
        std::vector<char> text(static_cast<std::size_t>(PATH_MAX));
        const ssize_t length = ::readlink(target.c_str(), text.data(), text.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= text.size())
            return false;
        const std::string next(text.data(), static_cast<std::size_t>(length));
        target = next[0] == '/' ? next : FolderOf(target) + next;
    }
    errno = ELOOP;
    return false;
}

} // namespace

bool CBK_AtomicFile::Open(const std::string& path) {
    Discard();
    _failed = false;
    _written = 0;
    _typed = false;
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    struct stat info;
    bool exists = false;
    if (!FollowLinks(path, _target, info, exists))
        return false;
    if (exists) {
        _original = ::open(_target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (_original < 0 && errno != ENOENT)
            return false;
    }
    if (_original >= 0) {
        // Only a file can be replaced: a pipe would be waited on, a device or a folder cannot
        // take its place. A locked one is refused as the rest of the file layer refuses it.
        int refused = 0;
        if (::fstat(_original, &info) != 0)
            refused = errno;
        else if (!S_ISREG(info.st_mode))
            refused = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        else if ((info.st_mode & 0222) == 0)
            refused = EPERM;
        if (refused) {
            Discard();
            errno = refused;
            return false;
        }
    }
    // A file being replaced may be private: its new bytes stay private until Commit.
    _fd = tbx::FSOpenTemporaryBeside(_target, _original >= 0 ? 0600 : 0666, _temporary);
    if (_fd < 0)
        Discard();
    return _fd >= 0;
}

void CBK_AtomicFile::SetFileTypes(uint32_t creator, uint32_t type) {
    _typed = true;
    _creator = creator;
    _type = type;
}

bool CBK_AtomicFile::Flush() {
    if (!_buffer.empty() && !_failed && !WriteAll(_fd, _buffer.data(), _buffer.size()))
        _failed = true;
    _written += _buffer.size();
    _buffer.clear();
    return !_failed;
}

bool CBK_AtomicFile::Write(const void* data, std::size_t size) {
    if (_fd < 0 || _failed)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (_buffer.size() + size > kBufferSize && !Flush())
        return false;
    if (size >= kBufferSize) {
        if (!WriteAll(_fd, bytes, size))
            _failed = true;
        _written += size;
        return !_failed;
    }
    _buffer.insert(_buffer.end(), bytes, bytes + size);
    return true;
}

bool CBK_AtomicFile::WriteAt(uint64_t offset, const void* data, std::size_t size) {
    if (_fd < 0 || _failed || offset > Size() || size > Size() - offset)
        return false;
    const char* bytes = static_cast<const char*>(data);
    // The part that is still in the buffer is patched there; the rest goes to the file.
    if (offset + size > _written) {
        const uint64_t from = offset > _written ? offset : _written;
        std::memcpy(_buffer.data() + (from - _written), bytes + (from - offset),
                    static_cast<std::size_t>(offset + size - from));
        size = static_cast<std::size_t>(from - offset);
    }
    if (size > 0 && !WriteAll(_fd, bytes, size, static_cast<int64_t>(offset)))
        _failed = true;
    return !_failed;
}

// The target's attributes, owner and mode as they are now; of one gone since Open, only who
// could read it. One that cannot all be kept fails the save: the target keeps them all, with its
// old bytes.
bool CBK_AtomicFile::KeepTargetsAccess() {
    struct stat info, made;
    const bool gone = ::stat(_target.c_str(), &info) != 0;
    if ((gone && (errno != ENOENT || ::fstat(_original, &info) != 0)) || ::fstat(_fd, &made) != 0)
        return false;
    // The access list first: setting it sets the group's bits, which the mode then gives back.
    if (gone ? !tbx::FSCopyAccessList(tbx::FSDescriptorPath(_original), _fd)
             : !tbx::FSCopyAttributes(_target, _fd, tbx::FSAnyAttribute))
        return false;
    // The owner before the mode: a change of owner clears set-id bits that the mode restores.
    if ((made.st_uid != info.st_uid || made.st_gid != info.st_gid) &&
        ::fchown(_fd, info.st_uid, info.st_gid) != 0)
        (void)!::fchown(_fd, static_cast<uid_t>(-1), info.st_gid);
    return ::fchmod(_fd, info.st_mode & 07777) == 0;
}

bool CBK_AtomicFile::Commit() {
    if (_fd < 0)
        return false;
    bool ok = Flush();
    int saved = errno;
    if (ok && _original >= 0 && !KeepTargetsAccess()) {
        ok = false;
        saved = errno;
    }
    if (ok && _typed)
        tbx::FSChangeCreatorTypeOfOpenFile(_fd, _creator, _type);
    if (ok && ::fsync(_fd) != 0) {
        ok = false;
        saved = errno;
    }
    // Renamed while still open and locked, so that no cleaner takes it in between; the
    // bytes are synced, so closing can lose nothing.
    if (ok && ::rename(_temporary.c_str(), _target.c_str()) == 0) {
        _temporary.clear();
        Discard();
        SyncFolder(FolderOf(_target));
        return true;
    }
    if (ok)
        saved = errno;
    Discard();
    errno = saved;
    return false;
}

void CBK_AtomicFile::Discard() {
    const int saved = errno;
    // Unlinked before the lock goes, so that the name is never taken from another writer.
    if (!_temporary.empty())
        ::unlink(_temporary.c_str());
    _temporary.clear();
    if (_fd >= 0)
        ::close(_fd);
    _fd = -1;
    if (_original >= 0)
        ::close(_original);
    _original = -1;
    _buffer.clear();
    _written = 0;
    errno = saved;
}

bool BK_WriteFileAtomically(const std::string& path, std::string_view bytes) {
    CBK_AtomicFile file;
    return file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

bool BK_OpenAtomicFile(CBK_AtomicFile& file, const CBK_Path& path, bool replace) {
    const std::string target = BK_WideToFileSystemName(path.GetFullPathString());
    if (target.empty())
        return false;
    struct stat info;
    if (::stat(target.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !replace)) {
        CBK_Path::m_nLastError =
            S_ISDIR(info.st_mode) ? tbx::OSErr(tbx::notAFileErr) : tbx::OSErr(tbx::dupFNErr);
        return false;
    }
    if (file.Open(target))
        return true;
    CBK_Path::m_nLastError =
        errno == EPERM ? tbx::OSErr(tbx::fLckdErr) : tbx::FSErrorFromErrno(errno);
    return false;
}

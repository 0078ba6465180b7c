#include "platform/files/fs_folder.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_attributes.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/files/fs_named_forks.h"
#include "platform/files/fs_sidecar.h"

namespace tbx {

using namespace fs_detail;

namespace {

constexpr FSCatalogInfoBitmap kListed = kFSCatInfoNodeFlags | kFSCatInfoAllDates |
                                        kFSCatInfoPermissions | kFSCatInfoFinderInfo |
                                        kFSCatInfoFinderXInfo | kFSCatInfoDataSizes;

std::mutex gHookMutex;
std::function<void(const std::string&)> gListingHook;

// A folder's own bits through its descriptor's name in /proc, which names that very folder
// whatever has become of its path; a folder that can be read is changed through itself.
int ChangeMode(int pathFd, mode_t mode) {
    if (chmod(DescriptorPath(pathFd).c_str(), mode) == 0)
        return 0;
    const int fd = openat(pathFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = fchmod(fd, mode);
    close(fd);
    return result;
}

OSErr FolderError(int error) {
    return error == ENOTDIR || error == ELOOP ? OSErr(errFSNotAFolder) : FSErrorFromErrno(error);
}

UInt64 Seconds(const UTCDateTime& date) {
    return (UInt64(date.highSeconds) << 32) | date.lowSeconds;
}

constexpr SInt64 kMacEpochOffset = 2082844800; // seconds from 1904 to 1970

bool CopyBytes(int in, int out) {
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n > 0 || (n < 0 && errno == EINTR))
            continue;
        if (n == 0)
            return true;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        break; // these file systems cannot copy between themselves
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t put = write(out, buffer.data() + done, std::size_t(n - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                errno = put == 0 ? ENOSPC : errno;
                return false;
            }
            done += put;
        }
    }
}

// The resource fork and the creation date of a file or a folder into a new sidecar beside its
// copy.
OSErr CopySidecar(int fromFolder, const FSFolderItem& item, int toFolder, const std::string& name,
                  int out, bool keepCreation, bool& made) {
    made = false;
    SidecarLayout layout;
    const Descriptor source(OpenSidecar(fromFolder, item.name));
    OSErr error = noErr;
    if (source.Get() >= 0 && !ReadSidecarLayout(source.Get(), layout, error))
        return error; // a fork that cannot be read is not silently dropped
    // The copy reports its birth time, or without one its modification date: where that is not
    // the source's creation date, the sidecar keeps it. Only a date that was set (kept in the
    // source's sidecar) or one that rides along with a fork is kept, so that copying plain files
    // leaves no sidecars behind, as with any other copy on this system.
    struct statx sx;
    UInt64 natural = Seconds(item.info.contentModDate);
    if (statx(out, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        natural = UInt64(sx.stx_btime.tv_sec + kMacEpochOffset);
    const std::string sidecar = SidecarName(name);
    SInt32 created = 0;
    const bool dated = keepCreation && (layout.datesOffset >= 0 || layout.forkLength > 0) &&
                       natural != Seconds(item.info.createDate) &&
                       ToSidecarDate(item.info.createDate, created) && sidecar.size() <= NAME_MAX;
    if (layout.forkLength == 0 && !dated)
        return noErr;
    if (sidecar.size() > NAME_MAX)
        return errFSNameTooLong;
    const Descriptor fd(openat(toFolder, sidecar.c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
        return FSErrorFromErrno(errno);
    made = true;
    const std::string header = NewSidecar(dated ? &created : nullptr);
    SidecarLayout copied;
    bool ok = WriteAll(fd.Get(), header.data(), header.size(), 0) &&
              ReadSidecarLayout(fd.Get(), copied, error);
    if (ok && layout.forkLength > 0)
        ok = CopyRange(source.Get(), layout.forkOffset, layout.forkLength, fd.Get(),
                       copied.forkOffset) &&
             WriteForkEntry(fd.Get(), copied.forkEntry, copied.forkOffset, layout.forkLength);
    // Readable by whom the source's is, whatever the folder gives new files.
    ok = ok && (source.Get() >= 0 ? FSCopyAccessList(DescriptorPath(source.Get()), fd.Get())
                                  : FSRemoveAccessList(fd.Get()));
    ok = ok && fchmod(fd.Get(), item.info.permissions.mode & 0666) == 0;
    return ok ? OSErr(noErr) : FSErrorFromErrno(errno ? errno : EIO);
}

} // namespace

FSFolder::~FSFolder() {
    if (_fd >= 0)
        close(_fd);
}

FSFolder::FSFolder(FSFolder&& other) noexcept
    : _fd(other._fd), _path(std::move(other._path)), _unlockedFrom(other._unlockedFrom) {
    other._fd = -1;
}

FSFolder& FSFolder::operator=(FSFolder&& other) noexcept {
    if (this != &other) {
        if (_fd >= 0)
            close(_fd);
        _fd = other._fd;
        _path = std::move(other._path);
        _unlockedFrom = other._unlockedFrom;
        other._fd = -1;
    }
    return *this;
}

OSErr FSFolder::Open(const FSRef& folder) {
    *this = FSFolder();
    if (folder.path.empty())
        return paramErr;
    _fd = open(folder.path.c_str(),
               O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.noFollow ? O_NOFOLLOW : 0));
    if (_fd < 0)
        return FolderError(errno);
    _path = folder.path;
    return noErr;
}

OSErr FSFolder::OpenParentOf(const FSRef& item, std::string& name) {
    *this = FSFolder();
    std::string path = item.path;
    char resolved[PATH_MAX];
    if (!item.noFollow && realpath(path.c_str(), resolved))
        path = resolved;
    const std::string parent = ParentOf(path);
    name = LeafOf(path);
    if (parent.empty() || name.empty())
        return paramErr;
    return Open(FSRef{parent, false});
}

OSErr FSFolder::OpenChild(const FSFolder& parent, const std::string& name, bool unlock) {
    *this = FSFolder();
    if (parent._fd < 0 || name.empty())
        return paramErr;
    // A handle on the folder itself first, which needs no access to it: a link or anything
    // else in its place is refused here.
    const int handle =
        openat(parent._fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0)
        return FolderError(errno);
    struct stat info;
    if (fstat(handle, &info) != 0) {
        const int error = errno;
        close(handle);
        return FSErrorFromErrno(error);
    }
    if (unlock && info.st_uid == geteuid() && (info.st_mode & 0700) != 0700) {
        if (ChangeMode(handle, (info.st_mode & 07777) | 0700) != 0) {
            const int error = errno;
            close(handle);
            return FSErrorFromErrno(error);
        }
        _unlockedFrom = int(info.st_mode & 07777);
    }
    _fd = openat(handle, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    close(handle);
    if (_fd < 0)
        return FSErrorFromErrno(error);
    _path = Join(parent._path, name);
    return noErr;
}

FSRef FSFolder::RefOf(const std::string& name) const {
    return FSRef{Join(_path, name), true};
}

OSErr FSFolder::RestoreMode() const {
    if (_fd < 0 || _unlockedFrom < 0)
        return noErr;
    return fchmod(_fd, mode_t(_unlockedFrom)) == 0 ? OSErr(noErr) : FSErrorFromErrno(errno);
}

OSErr FSFolder::List(std::vector<FSFolderItem>& items) const {
    items.clear();
    if (_fd < 0)
        return paramErr;
    const int fd = openat(_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        return FSErrorFromErrno(error);
    }
    std::set<std::string> names;
    errno = 0;
    while (struct dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.insert(name);
    }
    const int readError = errno;
    closedir(dir);
    if (readError)
        return FSErrorFromErrno(readError);
    RunListingHook(_path);
    for (const std::string& name : names) {
        if (name.size() > 2 && name.compare(0, 2, "._") == 0 && names.count(name.substr(2)) &&
            HasSidecarAt(_fd, name.substr(2)))
            continue;
        FSFolderItem item;
        const OSErr error = Examine(name, item);
        if (error == fnfErr)
            continue; // gone since the folder was read
        if (error)
            return error;
        items.push_back(std::move(item));
    }
    return noErr;
}

OSErr FSFolder::Examine(const std::string& name, FSFolderItem& item) const {
    if (_fd < 0)
        return paramErr;
    item.name = name;
    return FillCatalogInfo(_fd, name, Join(_path, name), true, kListed, item.info);
}

bool FSFolder::IsDropBox(const std::string& name) const {
    const int flags = AT_EACCESS | AT_SYMLINK_NOFOLLOW;
    return _fd >= 0 && faccessat(_fd, name.c_str(), R_OK, flags) != 0 &&
           faccessat(_fd, name.c_str(), W_OK | X_OK, flags) == 0;
}

OSErr FSFolder::Remove(const std::string& name, bool folder) const {
    if (_fd < 0 || name.empty())
        return paramErr;
    const bool forked = HasSidecarAt(_fd, name);
    if (unlinkat(_fd, name.c_str(), folder ? AT_REMOVEDIR : 0) != 0)
        return errno == EEXIST ? OSErr(fBsyErr) : FSErrorFromErrno(errno);
    if (forked)
        unlinkat(_fd, SidecarName(name).c_str(), 0);
    return noErr;
}

OSErr FSFolder::CopyFolder(const FSFolder& from, const FSFolderItem& item, const std::string& name,
                           bool keepCreation, FSFolder& made) const {
    made = FSFolder();
    if (_fd < 0 || from._fd < 0 || name.empty())
        return paramErr;
    if (mkdirat(_fd, name.c_str(), 0700) != 0)
        return FSErrorFromErrno(errno);
    RemoveStaleSidecar(_fd, name);
    OSErr error = made.OpenChild(*this, name, false);
    UInt8 finder[32];
    std::copy(item.info.finderInfo, item.info.finderInfo + 16, finder);
    std::copy(item.info.extFinderInfo, item.info.extFinderInfo + 16, finder + 16);
    if (!error)
        error = WriteFinderInfo(made._fd, finder);
    bool sidecar = false;
    if (!error && HasSidecarAt(from._fd, item.name))
        error = CopySidecar(from._fd, item, _fd, name, made._fd, keepCreation, sidecar);
    if (error) {
        made = FSFolder();
        unlinkat(_fd, name.c_str(), AT_REMOVEDIR);
        if (sidecar)
            unlinkat(_fd, SidecarName(name).c_str(), 0);
    }
    return error;
}

bool FSFolder::SidecarFree(const std::string& name) const {
    return _fd >= 0 && SidecarName(name).size() <= NAME_MAX && SidecarPlaceFree(_fd, name);
}

OSErr FSFolder::CopyFile(const FSFolder& from, const FSFolderItem& item, const std::string& name,
                         bool withMode, bool keepCreation) const {
    if (_fd < 0 || from._fd < 0 || name.empty())
        return paramErr;
    // Opened without waiting: what has become a pipe since the listing is refused below.
    const Descriptor source(
        openat(from._fd, item.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const int in = source.Get();
    struct stat info;
    if (in < 0)
        return FSErrorFromErrno(errno);
    if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode))
        return notAFileErr;
    const int out =
        openat(_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0)
        return FSErrorFromErrno(errno);
    bool sidecar = false;
    OSErr error = CopyBytes(in, out) ? OSErr(noErr) : FSErrorFromErrno(errno);
    if (!error)
        error = CopyItemAttributes(DescriptorPath(in), out);
    if (!error)
        error = CopySidecar(from._fd, item, _fd, name, out, keepCreation, sidecar);
    const struct timespec times[2] = {FromUTC(item.info.accessDate),
                                      FromUTC(item.info.contentModDate)};
    if (!error && futimens(out, times) != 0)
        error = FSErrorFromErrno(errno);
    if (!error && withMode && fchmod(out, item.info.permissions.mode & 07777) != 0)
        error = FSErrorFromErrno(errno);
    if (close(out) != 0 && !error)
        error = FSErrorFromErrno(errno);
    if (error) {
        unlinkat(_fd, name.c_str(), 0);
        if (sidecar)
            unlinkat(_fd, SidecarName(name).c_str(), 0);
    }
    return error;
}

OSErr FSFolder::CopyLink(const FSFolder& from, const std::string& item,
                         const std::string& name) const {
    if (_fd < 0 || from._fd < 0 || name.empty())
        return paramErr;
    char target[PATH_MAX];
    const ssize_t length = readlinkat(from._fd, item.c_str(), target, sizeof target - 1);
    if (length < 0)
        return FSErrorFromErrno(errno);
    target[length] = '\0';
    if (symlinkat(target, _fd, name.c_str()) != 0)
        return FSErrorFromErrno(errno);
    return noErr;
}

OSErr FSFolder::KeepAttributes(const FSFolder& source) const {
    if (_fd < 0 || source._fd < 0)
        return paramErr;
    return CopyItemAttributes(DescriptorPath(source._fd), _fd);
}

OSErr FSFolder::KeepAttributes(const FSFolder& from, const std::string& name) const {
    if (_fd < 0 || from._fd < 0 || name.empty())
        return paramErr;
    const Descriptor source(
        openat(from._fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (source.Get() < 0)
        return FolderError(errno);
    const bool readable =
        faccessat(from._fd, name.c_str(), R_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0;
    return CopyItemAttributes(DescriptorPath(source.Get()), _fd, readable);
}

OSErr FSFolder::SetDatesAndMode(const FSCatalogInfo& info) const {
    if (_fd < 0)
        return paramErr;
    const struct timespec times[2] = {FromUTC(info.accessDate), FromUTC(info.contentModDate)};
    if (futimens(_fd, times) != 0 || fchmod(_fd, info.permissions.mode & 07777) != 0)
        return FSErrorFromErrno(errno);
    return noErr;
}

void fs_detail::RunListingHook(const std::string& folder) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> lock(gHookMutex);
        hook = gListingHook;
    }
    if (hook)
        hook(folder);
}

void test::SetListingHook(std::function<void(const std::string& folder)> hook) {
    std::lock_guard<std::mutex> lock(gHookMutex);
    gListingHook = std::move(hook);
}

} // namespace tbx

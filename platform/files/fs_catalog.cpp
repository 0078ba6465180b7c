#include "platform/files/fs_catalog.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_internal.h"
#include "platform/files/fs_sidecar.h"

namespace tbx {

using namespace fs_detail;

namespace {

constexpr SInt64 kMacEpochOffset = 2082844800; // seconds from 1904 to 1970

UTCDateTime ToUTC(const struct statx_timestamp& t) {
    UTCDateTime out;
    const SInt64 seconds = SInt64(t.tv_sec) + kMacEpochOffset;
    if (seconds < 0)
        return out;
    out.highSeconds = UInt16(seconds >> 32);
    out.lowSeconds = UInt32(seconds);
    out.fraction = UInt16((UInt64(t.tv_nsec) << 16) / 1000000000u);
    return out;
}

// The items of an open folder as the catalogue shows them, by name: a sidecar belongs to its
// item and is not one of its own; any other "._name" shows as the file it is.
std::vector<std::string> ItemNames(DIR* dir) {
    std::set<std::string> names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.insert(std::move(name));
    }
    std::vector<std::string> items;
    for (const std::string& name : names)
        if (!(name.size() > 2 && name.compare(0, 2, "._") == 0 && names.count(name.substr(2)) &&
              HasSidecarAt(dirfd(dir), name.substr(2))))
            items.push_back(name);
    return items;
}

UInt32 CountItems(int dirfd, const std::string& name, bool noFollow) {
    const int fd = openat(dirfd, name.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
    if (fd < 0)
        return 0;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return 0;
    }
    const UInt32 count = UInt32(ItemNames(dir).size());
    closedir(dir);
    return count;
}

} // namespace

namespace fs_detail {

struct timespec FromUTC(const UTCDateTime& t) {
    const SInt64 seconds = (SInt64(t.highSeconds) << 32) + t.lowSeconds - kMacEpochOffset;
    struct timespec out;
    out.tv_sec = time_t(seconds);
    out.tv_nsec = long((UInt64(t.fraction) * 1000000000u) >> 16);
    return out;
}

OSErr FillCatalogInfo(int dirfd, const std::string& name, const std::string& path, bool noFollow,
                      FSCatalogInfoBitmap which, FSCatalogInfo& info) {
    struct statx sx;
    const int flags = noFollow ? AT_SYMLINK_NOFOLLOW : 0;
    if (statx(dirfd, name.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return FSErrorFromErrno(errno);
    const bool isFolder = S_ISDIR(sx.stx_mode);
    const bool isLink = S_ISLNK(sx.stx_mode);
    info = FSCatalogInfo();
    info.nodeFlags = isFolder ? kFSNodeIsDirectoryMask : 0;
    if (!isLink && (sx.stx_mode & 0222) == 0)
        info.nodeFlags |= kFSNodeLockedMask;
    info.volume = -1;
    if (path == "/") {
        info.nodeID = kFSRootDirID;
    } else {
        info.nodeID = UInt32(sx.stx_ino);
        if (info.nodeID <= kFSRootDirID)
            info.nodeID |= 0x80000000u;
    }
    if (which & kFSCatInfoParentDirID) {
        struct stat parent;
        const std::string parentPath = ParentOf(path);
        const int found =
            dirfd == AT_FDCWD ? stat(parentPath.c_str(), &parent) : fstat(dirfd, &parent);
        if (!parentPath.empty() && found == 0)
            info.parentDirID = parentPath == "/" ? UInt32(kFSRootDirID) : UInt32(parent.st_ino);
    }
    info.createDate = ToUTC((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime);
    info.contentModDate = ToUTC(sx.stx_mtime);
    info.attributeModDate = ToUTC(sx.stx_ctime);
    info.accessDate = ToUTC(sx.stx_atime);
    info.permissions.userID = sx.stx_uid;
    info.permissions.groupID = sx.stx_gid;
    info.permissions.mode = UInt16(sx.stx_mode);
    if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
        // Through the folder's descriptor when there is one, so that a moved folder is not
        // looked up by its old path.
        UInt8 bytes[32];
        ReadFinderInfo(dirfd == AT_FDCWD ? name : DescriptorPath(dirfd) + "/" + name, bytes);
        std::memcpy(info.finderInfo, bytes, 16);
        std::memcpy(info.extFinderInfo, bytes + 16, 16);
    }
    if ((which & kFSCatInfoValence) && isFolder)
        info.valence = CountItems(dirfd, name, noFollow);
    // Only plain files hold data; they and folders have sidecars. A link's own text is not a
    // data fork.
    const bool isFile = S_ISREG(sx.stx_mode);
    if (!isFile && !(isFolder && path != "/"))
        return noErr;
    if (isFile) {
        info.dataLogicalSize = sx.stx_size;
        info.dataPhysicalSize = UInt64(sx.stx_blocks) * 512;
    }
    if (which & (kFSCatInfoCreateDate | (isFile ? kFSCatInfoRsrcSizes : kFSCatInfoNone))) {
        const int fd = OpenSidecar(dirfd, name);
        SidecarLayout layout;
        OSErr error;
        if (fd >= 0 && isFile && (which & kFSCatInfoRsrcSizes) &&
            ReadSidecarLayout(fd, layout, error)) {
            info.rsrcLogicalSize = UInt64(layout.forkLength);
            info.rsrcPhysicalSize = (UInt64(layout.forkLength) + 4095) / 4096 * 4096;
        }
        // Where the file system cannot set a birth time, the sidecar keeps the date.
        if (fd >= 0 && (which & kFSCatInfoCreateDate))
            ReadSidecarCreateDate(fd, info.createDate);
        if (fd >= 0)
            close(fd);
    }
    return noErr;
}

} // namespace fs_detail

namespace {

OSErr RefOfChild(const FSRef* parent, UniCharCount length, const UniChar* name, std::string& path) {
    if (!parent || parent->path.empty())
        return paramErr;
    std::string leaf;
    if (OSErr error = NameToUtf8(length, name, leaf))
        return error;
    path = Join(parent->path, leaf);
    return noErr;
}

// The parent of a reference must be a folder for things to be made in it.
OSErr CheckFolder(const FSRef* folder) {
    if (!folder || folder->path.empty())
        return paramErr;
    struct stat info;
    if (OSErr error = StatRef(*folder, info))
        return error == fnfErr ? OSErr(dirNFErr) : error;
    return S_ISDIR(info.st_mode) ? OSErr(noErr) : OSErr(errFSNotAFolder);
}

// Every rename here refuses to replace unless asked to. File systems that do not offer the
// no-replace flag fall back to link and unlink for files.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return -1;
    struct stat info;
    if (lstat(from.c_str(), &info) != 0)
        return -1;
    if (!S_ISDIR(info.st_mode)) {
        if (link(from.c_str(), to.c_str()) != 0)
            return -1;
        return unlink(from.c_str());
    }
    if (lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from.c_str(), to.c_str());
}

// Whether `from` has a sidecar, and whether it can follow the file to `to`: the name must fit
// and must not be someone else's file (an AppleDouble file there is stale and is replaced).
OSErr SidecarCanFollow(const std::string& from, const std::string& to, bool& forked) {
    forked = HasSidecar(from);
    if (!forked)
        return noErr;
    if (SidecarName(LeafOf(to)).size() > NAME_MAX)
        return errFSNameTooLong;
    return SidecarPlaceFree(AT_FDCWD, to) ? OSErr(noErr) : OSErr(dupFNErr);
}

// After the file itself has moved from `from` to `to`.
int MoveSidecar(const std::string& from, const std::string& to, bool forked) {
    if (!forked) {
        RemoveStaleSidecar(AT_FDCWD, to);
        return 0;
    }
    return rename(SidecarPath(from).c_str(), SidecarPath(to).c_str());
}

// A rename that the sidecar follows; nothing changes when it cannot.
OSErr RenameWithSidecar(const std::string& from, const std::string& to, bool replace) {
    if (from == to)
        return noErr;
    bool forked = false;
    if (OSErr error = SidecarCanFollow(from, to, forked))
        return error;
    if ((replace ? rename(from.c_str(), to.c_str()) : RenameNoReplace(from, to)) != 0)
        return FSErrorFromErrno(errno);
    if (MoveSidecar(from, to, forked) != 0) {
        const int error = errno;
        if (!replace)
            RenameNoReplace(to, from);
        return FSErrorFromErrno(error);
    }
    return noErr;
}

OSErr RefuseLocked(const FSRef& ref) {
    struct stat info;
    if (lstat(ref.path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    return IsLocked(info) ? OSErr(fLckdErr) : OSErr(noErr);
}

// Open listings, reached through checked handles.
struct Listing {
    std::string folder;
    std::vector<std::string> names;
    std::size_t next = 0;
};

std::mutex gListingMutex;
std::map<std::uintptr_t, std::unique_ptr<Listing>> gListings;
std::uintptr_t gNextListing = 1;

} // namespace

OSErr FSErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return noErr;
    case ENOENT:
        return fnfErr;
    case ENOTDIR:
        return dirNFErr;
    case EEXIST:
        return dupFNErr;
    case ENOTEMPTY:
    case EBUSY:
    case ETXTBSY:
        return fBsyErr;
    case EACCES:
    case EPERM:
        return afpAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return dskFulErr;
    case EROFS:
        return wPrErr;
    case ENAMETOOLONG:
        return errFSNameTooLong;
    case EXDEV:
        return diffVolErr;
    case EINVAL:
    case ELOOP:
        return paramErr;
    case EISDIR:
        return notAFileErr;
    case ENOMEM:
        return memFullErr;
    default:
        return ioErr;
    }
}

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
    if (!path || !ref)
        return paramErr;
    FSRef made;
    if (OSErr error = MakeRef(reinterpret_cast<const char*>(path), false, made))
        return error;
    if (isDirectory) {
        struct stat info;
        *isDirectory = StatRef(made, info) == noErr && S_ISDIR(info.st_mode);
    }
    *ref = std::move(made);
    return noErr;
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
    if (!ref || !path || ref->path.empty())
        return paramErr;
    if (ref->path.size() + 1 > maxPathSize)
        return errFSNameTooLong;
    std::memcpy(path, ref->path.c_str(), ref->path.size() + 1);
    return noErr;
}

OSErr FSMakeFSRefUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                         TextEncoding, FSRef* newRef) {
    if (!newRef)
        return paramErr;
    std::string path;
    if (OSErr error = RefOfChild(parent, nameLength, name, path))
        return error;
    if (OSErr error = CheckFolder(parent))
        return error;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    newRef->path = path;
    newRef->noFollow = true;
    return noErr;
}

bool FSHasCreationDate(const FSRef* ref) {
    if (!ref || ref->path.empty())
        return false;
    struct statx sx;
    if (statx(AT_FDCWD, ref->path.c_str(), ref->noFollow ? AT_SYMLINK_NOFOLLOW : 0, STATX_BTIME,
              &sx) != 0)
        return false;
    if (sx.stx_mask & STATX_BTIME)
        return true;
    const bool sided = S_ISREG(sx.stx_mode) || (S_ISDIR(sx.stx_mode) && ref->path != "/");
    const int fd = sided ? OpenSidecar(AT_FDCWD, ref->path) : -1;
    UTCDateTime date;
    const bool kept = fd >= 0 && ReadSidecarCreateDate(fd, date);
    if (fd >= 0)
        close(fd);
    return kept;
}

OSErr FSCompareFSRefs(const FSRef* a, const FSRef* b) {
    if (!a || !b)
        return paramErr;
    struct stat sa, sb;
    if (OSErr error = StatRef(*a, sa))
        return error;
    if (OSErr error = StatRef(*b, sb))
        return error;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? OSErr(noErr)
                                                            : OSErr(errFSRefsDifferent);
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info,
                       HFSUniStr255* outName, FSSpec* fileRecord, FSRef* parentRef) {
    if (!ref || ref->path.empty())
        return ref ? OSErr(errFSBadFSRef) : OSErr(paramErr);
    FSCatalogInfo filled;
    if (OSErr error =
            FillCatalogInfo(AT_FDCWD, ref->path, ref->path, ref->noFollow, whichInfo, filled))
        return error;
    if (info)
        *info = filled;
    if (outName)
        Utf8ToName(ref->path == "/" ? std::string() : LeafOf(ref->path), *outName);
    if (fileRecord)
        fileRecord->path = ref->path;
    if (parentRef) {
        *parentRef = FSRef();
        parentRef->path = ParentOf(ref->path);
    }
    return noErr;
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info) {
    if (!ref || !info || ref->path.empty())
        return paramErr;
    struct stat current;
    if (OSErr error = StatRef(*ref, current))
        return error;
    const bool isLink = S_ISLNK(current.st_mode);
    if (whichInfo & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
        UInt8 bytes[32];
        ReadFinderInfo(ref->path, bytes);
        if (whichInfo & kFSCatInfoFinderInfo)
            std::memcpy(bytes, info->finderInfo, 16);
        if (whichInfo & kFSCatInfoFinderXInfo)
            std::memcpy(bytes + 16, info->extFinderInfo, 16);
        if (OSErr error = WriteFinderInfo(ref->path, bytes))
            return error;
    }
    if (whichInfo & (kFSCatInfoContentMod | kFSCatInfoAccessDate)) {
        struct timespec times[2];
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_nsec = UTIME_OMIT;
        if (whichInfo & kFSCatInfoAccessDate)
            times[0] = FromUTC(info->accessDate);
        if (whichInfo & kFSCatInfoContentMod)
            times[1] = FromUTC(info->contentModDate);
        if (utimensat(AT_FDCWD, ref->path.c_str(), times,
                      ref->noFollow ? AT_SYMLINK_NOFOLLOW : 0) != 0)
            return FSErrorFromErrno(errno);
    }
    // No file system here lets a birth time be set: the sidecar keeps the date.
    if ((whichInfo & kFSCatInfoCreateDate) &&
        (S_ISREG(current.st_mode) || S_ISDIR(current.st_mode)))
        if (OSErr error = StoreCreateDate(ref->path, info->createDate))
            return error;
    if (!isLink && (whichInfo & kFSCatInfoPermissions)) {
        if (chmod(ref->path.c_str(), info->permissions.mode & 07777) != 0)
            return FSErrorFromErrno(errno);
    }
    if (!isLink && (whichInfo & kFSCatInfoNodeFlags))
        return FSSetLocked(ref, (info->nodeFlags & kFSNodeLockedMask) != 0);
    return noErr;
}

OSErr FSChangeCreatorTypeOfOpenFile(int fd, OSType creator, OSType type) {
    UInt8 bytes[32];
    ReadFinderInfo(fd, bytes);
    FSCatalogInfo info;
    std::memcpy(info.finderInfo, bytes, 16);
    FileInfo finder = GetFileInfo(info);
    finder.fileType = type;
    finder.fileCreator = creator;
    SetFileInfo(info, finder);
    std::memcpy(bytes, info.finderInfo, 16);
    return WriteFinderInfo(fd, bytes);
}

OSErr FSCreateFileUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info, FSRef* newRef,
                          FSSpec* newSpec) {
    std::string path;
    if (OSErr error = RefOfChild(parent, nameLength, name, path))
        return error;
    if (OSErr error = CheckFolder(parent))
        return error;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    close(fd);
    // Before the information, whose creation date may go into a sidecar of its own.
    RemoveStaleSidecar(AT_FDCWD, path);
    FSRef made{path, true};
    if (info && whichInfo) {
        // The lock goes on last so that the other fields can still be written.
        const FSCatalogInfoBitmap withoutLock =
            whichInfo & ~FSCatalogInfoBitmap(kFSCatInfoNodeFlags);
        OSErr error = FSSetCatalogInfo(&made, withoutLock, info);
        if (!error && (whichInfo & kFSCatInfoNodeFlags))
            error = FSSetCatalogInfo(&made, kFSCatInfoNodeFlags, info);
        if (error) {
            unlink(path.c_str());
            return error;
        }
    }
    if (newRef)
        *newRef = made;
    if (newSpec)
        newSpec->path = path;
    return noErr;
}

OSErr FSCreateDirectoryUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID) {
    std::string path;
    if (OSErr error = RefOfChild(parent, nameLength, name, path))
        return error;
    if (OSErr error = CheckFolder(parent))
        return error;
    if (mkdir(path.c_str(), 0777) != 0)
        return FSErrorFromErrno(errno);
    RemoveStaleSidecar(AT_FDCWD, path);
    FSRef made{path, true};
    if (info && whichInfo) {
        if (OSErr error = FSSetCatalogInfo(&made, whichInfo, info)) {
            RemoveStaleSidecar(AT_FDCWD, path);
            rmdir(path.c_str());
            return error;
        }
    }
    if (newRef)
        *newRef = made;
    if (newSpec)
        newSpec->path = path;
    if (newDirID) {
        struct stat created;
        *newDirID = stat(path.c_str(), &created) == 0 ? UInt32(created.st_ino) : 0;
    }
    return noErr;
}

OSErr FSDeleteObject(const FSRef* ref) {
    if (!ref || ref->path.empty() || ref->path == "/")
        return paramErr;
    struct stat info;
    if (lstat(ref->path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    if (IsLocked(info))
        return fLckdErr;
    // Only a real sidecar goes with the item; another "._name" is a file of its own.
    const bool forked = HasSidecar(ref->path);
    if (S_ISDIR(info.st_mode) ? rmdir(ref->path.c_str()) : unlink(ref->path.c_str()))
        return S_ISDIR(info.st_mode) && errno == EEXIST ? OSErr(fBsyErr) : FSErrorFromErrno(errno);
    if (forked)
        unlink(SidecarPath(ref->path).c_str());
    return noErr;
}

OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name, TextEncoding,
                      FSRef* newRef) {
    if (!ref || ref->path.empty() || ref->path == "/")
        return paramErr;
    std::string leaf;
    if (OSErr error = NameToUtf8(nameLength, name, leaf))
        return error;
    if (OSErr error = RefuseLocked(*ref))
        return error;
    const std::string target = Join(ParentOf(ref->path), leaf);
    if (OSErr error = RenameWithSidecar(ref->path, target, false))
        return error;
    if (newRef)
        *newRef = FSRef{target, true};
    return noErr;
}

OSErr FSRenameUnicodeReplacing(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                               FSRef* newRef) {
    if (!ref || ref->path.empty() || ref->path == "/")
        return paramErr;
    std::string leaf;
    if (OSErr error = NameToUtf8(nameLength, name, leaf))
        return error;
    if (OSErr error = RefuseLocked(*ref))
        return error;
    const std::string target = Join(ParentOf(ref->path), leaf);
    struct stat source, existing;
    if (lstat(ref->path.c_str(), &source) != 0)
        return FSErrorFromErrno(errno);
    if (target != ref->path) {
        if (lstat(target.c_str(), &existing) == 0) {
            if (S_ISDIR(existing.st_mode) || S_ISDIR(source.st_mode))
                return dupFNErr;
            if (IsLocked(existing))
                return fLckdErr;
        }
        if (OSErr error = RenameWithSidecar(ref->path, target, true))
            return error;
    }
    if (newRef)
        *newRef = FSRef{target, true};
    return noErr;
}

OSErr FSMoveObject(const FSRef* ref, const FSRef* destinationFolder, FSRef* newRef) {
    if (!ref || ref->path.empty() || ref->path == "/")
        return paramErr;
    if (OSErr error = CheckFolder(destinationFolder))
        return error;
    if (OSErr error = RefuseLocked(*ref))
        return error;
    char folder[PATH_MAX];
    if (!realpath(destinationFolder->path.c_str(), folder))
        return FSErrorFromErrno(errno);
    const std::string target = Join(folder, LeafOf(ref->path));
    if (OSErr error = RenameWithSidecar(ref->path, target, false))
        return error;
    if (newRef)
        *newRef = FSRef{target, true};
    return noErr;
}

OSErr FSExchangeObjects(const FSRef* a, const FSRef* b) {
    if (!a || !b || a->path.empty() || b->path.empty())
        return paramErr;
    if (OSErr error = RefuseLocked(*a))
        return error;
    if (OSErr error = RefuseLocked(*b))
        return error;
    // A sidecar that moves alone must fit the other name and find it free.
    const bool hasA = HasSidecar(a->path), hasB = HasSidecar(b->path);
    bool forked = false;
    if (hasA != hasB)
        if (OSErr error = hasA ? SidecarCanFollow(a->path, b->path, forked)
                               : SidecarCanFollow(b->path, a->path, forked))
            return error;
    if (renameat2(AT_FDCWD, a->path.c_str(), AT_FDCWD, b->path.c_str(), RENAME_EXCHANGE) != 0)
        return FSErrorFromErrno(errno);
    // The resource forks follow their data forks, or the exchange is undone: a data fork must
    // never end up beside the other file's resource fork.
    const std::string sa = SidecarPath(a->path), sb = SidecarPath(b->path);
    int moved = 0;
    if (hasA && hasB)
        moved = renameat2(AT_FDCWD, sa.c_str(), AT_FDCWD, sb.c_str(), RENAME_EXCHANGE);
    else if (hasA)
        moved = MoveSidecar(a->path, b->path, true);
    else if (hasB)
        moved = MoveSidecar(b->path, a->path, true);
    if (moved == 0)
        return noErr;
    const int error = errno;
    renameat2(AT_FDCWD, a->path.c_str(), AT_FDCWD, b->path.c_str(), RENAME_EXCHANGE);
    return FSErrorFromErrno(error);
}

OSErr FSReadLink(const FSRef* ref, std::string& target) {
    if (!ref || ref->path.empty())
        return paramErr;
    char buffer[PATH_MAX];
    const ssize_t length = readlink(ref->path.c_str(), buffer, sizeof buffer);
    if (length < 0)
        return FSErrorFromErrno(errno);
    target.assign(buffer, std::size_t(length));
    return noErr;
}

OSErr FSCreateLinkUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                          const std::string& target, FSRef* newRef) {
    std::string path;
    if (OSErr error = RefOfChild(parent, nameLength, name, path))
        return error;
    if (OSErr error = CheckFolder(parent))
        return error;
    if (target.empty() || symlink(target.c_str(), path.c_str()) != 0)
        return target.empty() ? OSErr(paramErr) : FSErrorFromErrno(errno);
    if (newRef)
        *newRef = FSRef{path, true};
    return noErr;
}

OSErr FSSetLocked(const FSRef* ref, bool locked) {
    if (!ref || ref->path.empty())
        return paramErr;
    struct stat info;
    if (OSErr error = StatRef(*ref, info))
        return error;
    if (S_ISLNK(info.st_mode))
        return noErr;
    const mode_t mode = locked ? (info.st_mode & 07555) : ((info.st_mode & 07777) | 0200);
    if (chmod(ref->path.c_str(), mode) != 0)
        return FSErrorFromErrno(errno);
    return noErr;
}

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags flags, FSIterator* iterator) {
    if (!iterator)
        return paramErr;
    *iterator = nullptr;
    if (flags != kFSIterateFlat)
        return errFSBadIteratorFlags;
    if (OSErr error = CheckFolder(container))
        return error;
    DIR* dir = opendir(container->path.c_str());
    if (!dir)
        return FSErrorFromErrno(errno);
    auto listing = std::make_unique<Listing>();
    listing->folder = container->path;
    listing->names = ItemNames(dir);
    RunListingHook(container->path);
    closedir(dir);
    std::lock_guard<std::mutex> lock(gListingMutex);
    const std::uintptr_t id = gNextListing++;
    gListings[id] = std::move(listing);
    *iterator = reinterpret_cast<FSIterator>(id);
    return noErr;
}

OSErr FSCloseIterator(FSIterator iterator) {
    std::lock_guard<std::mutex> lock(gListingMutex);
    return gListings.erase(reinterpret_cast<std::uintptr_t>(iterator)) ? OSErr(noErr)
                                                                       : OSErr(rfNumErr);
}

OSErr FSGetCatalogInfoBulk(FSIterator iterator, UInt32 maximumObjects, UInt32* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* fileRecords,
                           HFSUniStr255* names) {
    if (actualObjects)
        *actualObjects = 0;
    if (containerChanged)
        *containerChanged = false;
    if (maximumObjects == 0 || !actualObjects)
        return maximumObjects == 0 ? OSErr(errFSBadItemCount) : OSErr(paramErr);
    std::lock_guard<std::mutex> lock(gListingMutex);
    auto found = gListings.find(reinterpret_cast<std::uintptr_t>(iterator));
    if (found == gListings.end())
        return rfNumErr;
    Listing& listing = *found->second;
    UInt32 count = 0;
    while (count < maximumObjects && listing.next < listing.names.size()) {
        const std::string& name = listing.names[listing.next++];
        FSRef ref{Join(listing.folder, name), true};
        FSCatalogInfo info;
        if (OSErr error = FillCatalogInfo(AT_FDCWD, ref.path, ref.path, true, whichInfo, info)) {
            if (error == fnfErr) {
                // Gone since the listing was read.
                if (containerChanged)
                    *containerChanged = true;
                continue;
            }
            // An item that cannot be examined is reported, after the items before it.
            if (count > 0) {
                --listing.next;
                break;
            }
            return error;
        }
        if (catalogInfos)
            catalogInfos[count] = info;
        if (refs)
            refs[count] = ref;
        if (fileRecords)
            fileRecords[count].path = ref.path;
        if (names)
            Utf8ToName(name, names[count]);
        ++count;
    }
    *actualObjects = count;
    return count == 0 ? OSErr(errFSNoMoreItems) : OSErr(noErr);
}

OSErr FSpMakeFSRef(const FSSpec* fileRecord, FSRef* ref) {
    if (!fileRecord || !ref || fileRecord->path.empty())
        return paramErr;
    return MakeRef(fileRecord->path, false, *ref);
}

OSErr FSpSetFLock(const FSSpec* fileRecord) {
    FSRef ref;
    if (OSErr error = FSpMakeFSRef(fileRecord, &ref))
        return error;
    return FSSetLocked(&ref, true);
}

OSErr FSpRstFLock(const FSSpec* fileRecord) {
    FSRef ref;
    if (OSErr error = FSpMakeFSRef(fileRecord, &ref))
        return error;
    return FSSetLocked(&ref, false);
}

} // namespace tbx

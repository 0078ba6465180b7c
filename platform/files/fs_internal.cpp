#include "platform/files/fs_internal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/text_encoding.h"

namespace tbx::fs_detail {

namespace {

constexpr const char* kFinderInfoAttribute = "user.com.apple.FinderInfo";

bool AllZero(const UInt8 bytes[32]) {
    return std::all_of(bytes, bytes + 32, [](UInt8 b) { return b == 0; });
}

OSErr FinderInfoResult(int result) {
    if (result == 0)
        return noErr;
    // No user attributes here (or none on links): the information is simply absent.
    if (errno == ENOTSUP || errno == EPERM || errno == ENODATA)
        return noErr;
    return FSErrorFromErrno(errno);
}

// "/a//b/./c/" becomes "/a/b/c"; a relative text is taken from the current folder.
std::string Normalise(const std::string& path) {
    std::string full;
    if (path.empty() || path[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd))
            return {};
        full = cwd;
        full += '/';
    }
    full += path;
    std::string out;
    std::size_t i = 0;
    while (i < full.size()) {
        while (i < full.size() && full[i] == '/')
            ++i;
        std::size_t end = full.find('/', i);
        if (end == std::string::npos)
            end = full.size();
        std::string part = full.substr(i, end - i);
        i = end;
        if (part.empty() || part == ".")
            continue;
        out += '/';
        out += part;
    }
    return out.empty() ? std::string("/") : out;
}

} // namespace

std::string Join(const std::string& folder, const std::string& name) {
    if (folder == "/")
        return "/" + name;
    return folder + "/" + name;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || path == "/")
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string LeafOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

OSErr NameToUtf8(UniCharCount length, const UniChar* name, std::string& out) {
    if (!name || length == 0 || length > 255)
        return length > 255 ? OSErr(errFSNameTooLong) : OSErr(paramErr);
    const std::u16string_view units(name, length);
    out = text::Utf16ToUtf8Escaped(units);
    // Only a name that a listing could give back: an unpaired surrogate that stands for no byte,
    // or byte escapes that spell UTF-8, would reach another name's file.
    if (out == "." || out == ".." || out.find('/') != std::string::npos ||
        out.find('\0') != std::string::npos || text::Utf8ToUtf16Escaped(out) != units)
        return paramErr;
    if (out.size() > NAME_MAX)
        return errFSNameTooLong;
    return noErr;
}

void Utf8ToName(const std::string& utf8, HFSUniStr255& out) {
    const std::u16string units = text::Utf8ToUtf16Escaped(utf8);
    out.length = UInt16(std::min<std::size_t>(units.size(), 255));
    std::memcpy(out.unicode, units.data(), out.length * sizeof(UniChar));
}

std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

OSErr MakeRef(const std::string& path, bool noFollow, FSRef& out) {
    out = FSRef();
    if (path.empty())
        return fnfErr;
    const std::string full = Normalise(path);
    if (full.empty())
        return ioErr;
    std::string resolved;
    const std::string leaf = LeafOf(full);
    if (full == "/") {
        resolved.assign(1, '/');
    } else if (leaf == "..") {
        char buffer[PATH_MAX];
        if (!realpath(full.c_str(), buffer))
            return FSErrorFromErrno(errno);
        resolved = buffer;
    } else {
        char buffer[PATH_MAX];
        if (!realpath(ParentOf(full).c_str(), buffer))
            return errno == ENOTDIR ? OSErr(dirNFErr) : FSErrorFromErrno(errno);
        resolved = Join(buffer, leaf);
    }
    struct stat info;
    bool follow = !noFollow;
    if (follow && stat(resolved.c_str(), &info) != 0) {
        // A dangling link still names something that can be deleted or renamed.
        if (errno != ENOENT || lstat(resolved.c_str(), &info) != 0)
            return FSErrorFromErrno(errno);
        follow = false;
    } else if (!follow && lstat(resolved.c_str(), &info) != 0) {
        return FSErrorFromErrno(errno);
    }
    out.path = resolved;
    out.noFollow = !follow;
    return noErr;
}

OSErr StatRef(const FSRef& ref, struct stat& info) {
    if (ref.path.empty())
        return errFSBadFSRef;
    const int result =
        ref.noFollow ? lstat(ref.path.c_str(), &info) : stat(ref.path.c_str(), &info);
    return result == 0 ? OSErr(noErr) : FSErrorFromErrno(errno);
}

bool IsLocked(const struct stat& info) {
    return !S_ISLNK(info.st_mode) && (info.st_mode & 0222) == 0;
}

void ReadFinderInfo(const std::string& path, UInt8 bytes[32]) {
    std::memset(bytes, 0, 32);
    UInt8 buffer[32] = {};
    const ssize_t got = lgetxattr(path.c_str(), kFinderInfoAttribute, buffer, sizeof buffer);
    if (got > 0)
        std::memcpy(bytes, buffer, std::size_t(got));
}

void ReadFinderInfo(int fd, UInt8 bytes[32]) {
    std::memset(bytes, 0, 32);
    UInt8 buffer[32] = {};
    const ssize_t got = fgetxattr(fd, kFinderInfoAttribute, buffer, sizeof buffer);
    if (got > 0)
        std::memcpy(bytes, buffer, std::size_t(got));
}

OSErr WriteFinderInfo(const std::string& path, const UInt8 bytes[32]) {
    return FinderInfoResult(AllZero(bytes)
                                ? lremovexattr(path.c_str(), kFinderInfoAttribute)
                                : lsetxattr(path.c_str(), kFinderInfoAttribute, bytes, 32, 0));
}

OSErr WriteFinderInfo(int fd, const UInt8 bytes[32]) {
    return FinderInfoResult(AllZero(bytes) ? fremovexattr(fd, kFinderInfoAttribute)
                                           : fsetxattr(fd, kFinderInfoAttribute, bytes, 32, 0));
}

} // namespace tbx::fs_detail

namespace tbx {

namespace {
UInt16 GetBig16(const UInt8* in) {
    return UInt16((in[0] << 8) | in[1]);
}
void PutBig16(UInt8* out, UInt16 value) {
    out[0] = UInt8(value >> 8);
    out[1] = UInt8(value);
}
} // namespace

FileInfo GetFileInfo(const FSCatalogInfo& info) {
    const UInt8* b = info.finderInfo;
    FileInfo out;
    out.fileType = (UInt32(b[0]) << 24) | (UInt32(b[1]) << 16) | (UInt32(b[2]) << 8) | b[3];
    out.fileCreator = (UInt32(b[4]) << 24) | (UInt32(b[5]) << 16) | (UInt32(b[6]) << 8) | b[7];
    out.finderFlags = GetBig16(b + 8);
    out.location.v = SInt16(GetBig16(b + 10));
    out.location.h = SInt16(GetBig16(b + 12));
    out.reservedField = GetBig16(b + 14);
    return out;
}

void SetFileInfo(FSCatalogInfo& info, const FileInfo& in) {
    UInt8* b = info.finderInfo;
    for (int i = 0; i < 4; ++i) {
        b[i] = UInt8(in.fileType >> (24 - 8 * i));
        b[4 + i] = UInt8(in.fileCreator >> (24 - 8 * i));
    }
    PutBig16(b + 8, in.finderFlags);
    PutBig16(b + 10, UInt16(in.location.v));
    PutBig16(b + 12, UInt16(in.location.h));
    PutBig16(b + 14, in.reservedField);
}

FolderInfo GetFolderInfo(const FSCatalogInfo& info) {
    const UInt8* b = info.finderInfo;
    FolderInfo out;
    out.windowBounds.top = SInt16(GetBig16(b));
    out.windowBounds.left = SInt16(GetBig16(b + 2));
    out.windowBounds.bottom = SInt16(GetBig16(b + 4));
    out.windowBounds.right = SInt16(GetBig16(b + 6));
    out.finderFlags = GetBig16(b + 8);
    out.location.v = SInt16(GetBig16(b + 10));
    out.location.h = SInt16(GetBig16(b + 12));
    out.reservedField = GetBig16(b + 14);
    return out;
}

void SetFolderInfo(FSCatalogInfo& info, const FolderInfo& in) {
    UInt8* b = info.finderInfo;
    PutBig16(b, UInt16(in.windowBounds.top));
    PutBig16(b + 2, UInt16(in.windowBounds.left));
    PutBig16(b + 4, UInt16(in.windowBounds.bottom));
    PutBig16(b + 6, UInt16(in.windowBounds.right));
    PutBig16(b + 8, in.finderFlags);
    PutBig16(b + 10, UInt16(in.location.v));
    PutBig16(b + 12, UInt16(in.location.h));
    PutBig16(b + 14, in.reservedField);
}

} // namespace tbx

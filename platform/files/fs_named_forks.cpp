#include "platform/files/fs_named_forks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/limits.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/text_encoding.h"

namespace tbx::fs_detail {

namespace {

constexpr std::string_view kUserPrefix = "user.";
constexpr std::string_view kFinderInfoAttribute = "user.com.apple.FinderInfo";
constexpr std::size_t kMaxAttributeName = 255;

// The attribute is absent, or the file system keeps none.
bool Absent(int error) {
    return error == ENODATA || error == ENOTSUP;
}

// The names of all of a file's attributes, NUL-separated. One call with room for the most the
// kernel lists: asking for the size first fails whenever attributes are added between the two
// calls, which a file whose forks keep changing may do every time. A longer list is E2BIG.
bool ListAttributes(const std::string& file, std::string& names) {
    names.resize(XATTR_LIST_MAX);
    const ssize_t got = listxattr(file.c_str(), names.data(), names.size());
    names.resize(got < 0 ? 0 : std::size_t(got));
    return got >= 0;
}

// Where the disk has room, a value the file system refused for want of space was too large
// for an attribute there.
OSErr StoreError(const std::string& file, int error, std::size_t size) {
    struct statvfs volume;
    if (error == E2BIG ||
        (error == ENOSPC && statvfs(file.c_str(), &volume) == 0 &&
         UInt64(volume.f_bavail) * volume.f_frsize > UInt64(size) + kMaxNamedFork))
        return fileBoundsErr;
    return FSErrorFromErrno(error);
}

} // namespace

OSErr NamedForkAttribute(const std::u16string& name, std::string& attribute) {
    const std::string bytes = text::Utf16ToUtf8Escaped(name);
    attribute = std::string(kUserPrefix) + bytes;
    // Only a name that a listing could give back: an unpaired surrogate that stands for no byte,
    // or byte escapes that spell UTF-8, would share another name's attribute.
    if (name.empty() || text::Utf8ToUtf16Escaped(bytes) != name ||
        attribute == kFinderInfoAttribute || attribute.find('\0') != std::string::npos ||
        attribute.size() > kMaxAttributeName)
        return errFSBadForkName;
    return noErr;
}

void NamedForkName(const std::string& attribute, HFSUniStr255& name) {
    Utf8ToName(attribute.substr(kUserPrefix.size()), name);
}

OSErr ListNamedForks(const std::string& file, std::vector<std::string>& attributes) {
    attributes.clear();
    std::string names;
    if (!ListAttributes(file, names))
        return errno == ENOTSUP ? OSErr(noErr) : FSErrorFromErrno(errno);
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find('\0', at), names.size());
        std::string attribute = names.substr(at, end - at);
        at = end + 1;
        if (attribute.size() > kUserPrefix.size() && attribute.starts_with(kUserPrefix) &&
            attribute != kFinderInfoAttribute)
            attributes.push_back(std::move(attribute));
    }
    std::sort(attributes.begin(), attributes.end());
    return noErr;
}

OSErr ReadNamedFork(const std::string& file, const std::string& attribute, std::string& value) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = getxattr(file.c_str(), attribute.c_str(), nullptr, 0);
        if (size < 0)
            break;
        value.resize(std::size_t(size));
        const ssize_t got =
            size ? getxattr(file.c_str(), attribute.c_str(), value.data(), value.size()) : 0;
        if (got >= 0) {
            value.resize(std::size_t(got));
            return noErr;
        }
        if (errno != ERANGE)
            break;
    }
    value.clear();
    return Absent(errno) ? OSErr(errFSForkNotFound) : FSErrorFromErrno(errno);
}

OSErr FindNamedFork(const std::string& file, const std::string& attribute, bool& exists) {
    exists = getxattr(file.c_str(), attribute.c_str(), nullptr, 0) >= 0;
    if (exists || errno == ENODATA)
        return noErr;
    return errno == ENOTSUP ? OSErr(errFSForkNotFound) : FSErrorFromErrno(errno);
}

OSErr NamedForkSize(const std::string& file, const std::string& attribute, SInt64& size) {
    const ssize_t got = getxattr(file.c_str(), attribute.c_str(), nullptr, 0);
    size = got < 0 ? 0 : SInt64(got);
    if (got >= 0)
        return noErr;
    return Absent(errno) ? OSErr(errFSForkNotFound) : FSErrorFromErrno(errno);
}

OSErr WriteNamedFork(const std::string& file, const std::string& attribute,
                     const std::string& value) {
    if (value.size() > kMaxNamedFork)
        return fileBoundsErr;
    if (setxattr(file.c_str(), attribute.c_str(), value.data(), value.size(), 0) != 0)
        return StoreError(file, errno, value.size());
    return noErr;
}

OSErr RemoveNamedFork(const std::string& file, const std::string& attribute) {
    if (removexattr(file.c_str(), attribute.c_str()) == 0)
        return noErr;
    return Absent(errno) ? OSErr(errFSForkNotFound) : FSErrorFromErrno(errno);
}

OSErr CopyNamedForks(const std::string& from, const std::string& to) {
    std::vector<std::string> attributes;
    if (OSErr error = ListNamedForks(from, attributes))
        return error;
    std::string value;
    for (const std::string& attribute : attributes) {
        if (OSErr error = ReadNamedFork(from, attribute, value)) {
            if (error == errFSForkNotFound)
                continue; // gone since the listing
            return error;
        }
        if (setxattr(to.c_str(), attribute.c_str(), value.data(), value.size(), 0) != 0) {
            if (errno == ENOTSUP)
                return noErr;
            return StoreError(to, errno, value.size());
        }
    }
    return noErr;
}

} // namespace tbx::fs_detail

#include "platform/files/fs_named_forks.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <vector>

#include "platform/files/fs_attributes.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/text_encoding.h"

namespace tbx::fs_detail {

namespace {

constexpr std::string_view kUserPrefix = "user.";
constexpr std::string_view kFinderInfoAttribute = "user.com.apple.FinderInfo";
constexpr std::string_view kResourceForkAttribute = "user.RESOURCE_FORK";
constexpr std::size_t kMaxAttributeName = 255;

// The attribute is absent, or the file system keeps none.
bool Absent(int error) {
    return error == ENODATA || error == ENOTSUP;
}

// Another program's user attributes are copied with the named forks.
bool UserAttribute(std::string_view attribute) {
    return attribute.size() > kUserPrefix.size() && attribute.starts_with(kUserPrefix) &&
           attribute != kFinderInfoAttribute;
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

OSErr ListNamedForks(const std::string& file, std::string& attributes) {
    attributes.clear();
    std::string names;
    if (!FSListAttributes(file, names))
        return errno == ENOTSUP ? OSErr(noErr) : FSErrorFromErrno(errno);
    std::vector<std::string_view> forks;
    std::size_t bytes = 0;
    for (std::size_t at = 0, end; (end = names.find('\0', at)) != names.npos; at = end + 1) {
        const std::string_view attribute(names.data() + at, end - at);
        if (UserAttribute(attribute) && attribute != kResourceForkAttribute) {
            forks.push_back(attribute);
            bytes += attribute.size() + 1;
        }
    }
    std::sort(forks.begin(), forks.end());
    attributes.reserve(bytes);
    for (const std::string_view attribute : forks)
        attributes.append(attribute).push_back('\0');
    return noErr;
}

OSErr ReadNamedFork(const std::string& file, const std::string& attribute, std::string& value) {
    if (FSReadAttribute(file, attribute.c_str(), value))
        return noErr;
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

OSErr CopyItemAttributes(const std::string& from, int to, bool userReadable) {
    const auto beyondUser = [](std::string_view name) { return !name.starts_with(kUserPrefix); };
    if (FSCopyAttributes(from, to, userReadable ? FSAnyAttribute : +beyondUser))
        return noErr;
    // A value the destination's file system cannot hold, where the disk has room for it.
    return errno == ENOSPC ? StoreError(DescriptorPath(to), errno, kMaxNamedFork)
                           : FSErrorFromErrno(errno);
}

} // namespace tbx::fs_detail

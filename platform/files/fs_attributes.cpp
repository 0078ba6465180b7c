#include "platform/files/fs_attributes.h"

#include <algorithm>
#include <cerrno>
#include <linux/limits.h>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>

#include "platform/files/fs_internal.h"

namespace tbx {

namespace {

constexpr const char* kAccessList = "system.posix_acl_access";
constexpr const char* kDefaultList = "system.posix_acl_default";

// Room for a value, kept from one read to the next.
class Room {
public:
    const char* Bytes() const { return _bytes.get(); }

    // The value's length, or -1 with errno set. The first call offers room for most values; a
    // value that does not fit has its size asked, and after a few sizes that it outgrew it gets
    // room for the largest, past which the kernel answers E2BIG, never ERANGE.
    ssize_t Read(const std::string& file, const char* name) {
        constexpr std::size_t kFirstOffer = 1024;
        constexpr int kSizesAsked = 3;
        std::size_t offer = kFirstOffer;
        for (int asked = 0;; ++asked) {
            Reserve(offer);
            const ssize_t got = getxattr(file.c_str(), name, _bytes.get(), offer);
            if (got >= 0 || errno != ERANGE || offer == XATTR_SIZE_MAX)
                return got;
            const ssize_t size =
                asked < kSizesAsked ? getxattr(file.c_str(), name, nullptr, 0) : XATTR_SIZE_MAX;
            if (size < 0)
                return size;
            offer = std::min<std::size_t>(std::max(std::size_t(size), offer + 1), XATTR_SIZE_MAX);
        }
    }

private:
    void Reserve(std::size_t size) {
        if (size > _size) {
            _bytes = std::make_unique_for_overwrite<char[]>(size);
            _size = size;
        }
    }

    std::unique_ptr<char[]> _bytes;
    std::size_t _size = 0;
};

bool IsAccessList(std::string_view name) {
    return name == kAccessList || name == kDefaultList;
}

// Refused for want of support, or outside the user's own namespace for want of privilege. An
// access list left behind could let others in, and is never passed over.
bool LeftBehind(std::string_view name, int error) {
    if (IsAccessList(name))
        return false;
    return error == ENOTSUP || (!name.starts_with("user.") && (error == EPERM || error == EACCES));
}

// Having none, or a file system that keeps none, is no failure.
bool RemoveAccessList(int to, const char* name) {
    return fremovexattr(to, name) == 0 || errno == ENODATA || errno == ENOTSUP;
}

} // namespace

std::string FSDescriptorPath(int fd) {
    return fs_detail::DescriptorPath(fd);
}

bool FSListAttributes(const std::string& file, std::string& names) {
    // Past XATTR_LIST_MAX the kernel answers E2BIG, never ERANGE.
    names.resize(XATTR_LIST_MAX);
    const ssize_t got = listxattr(file.c_str(), names.data(), names.size());
    names.resize(got < 0 ? 0 : std::size_t(got));
    return got >= 0;
}

bool FSReadAttribute(const std::string& file, const char* name, std::string& value) {
    Room room;
    const ssize_t got = room.Read(file, name);
    value.assign(room.Bytes(), got < 0 ? 0 : std::size_t(got));
    return got >= 0;
}

bool FSCopyAttributes(const std::string& from, int to, bool (*wanted)(std::string_view name)) {
    std::string names;
    // A file system that keeps no attributes holds no access list either: the ones `to` took
    // from its folder still go.
    if (!FSListAttributes(from, names) && errno != ENOTSUP)
        return false;
    Room room;
    bool access = false, defaults = false;
    for (std::size_t at = 0, end; (end = names.find('\0', at)) != names.npos; at = end + 1) {
        const char* name = names.c_str() + at;
        if (!wanted(name))
            continue;
        const ssize_t got = room.Read(from, name);
        if (got < 0) {
            if (errno == ENODATA || LeftBehind(name, errno))
                continue; // gone since the listing, or never ours to copy
            return false;
        }
        if (fsetxattr(to, name, room.Bytes(), std::size_t(got), 0) != 0 && !LeftBehind(name, errno))
            return false;
        access = access || name == std::string_view(kAccessList);
        defaults = defaults || name == std::string_view(kDefaultList);
    }
    struct stat made;
    if (!access && wanted(kAccessList) && !RemoveAccessList(to, kAccessList))
        return false;
    if (!defaults && wanted(kDefaultList) && fstat(to, &made) == 0 && S_ISDIR(made.st_mode) &&
        !RemoveAccessList(to, kDefaultList))
        return false;
    return true;
}

bool FSAnyAttribute(std::string_view) {
    return true;
}

bool FSCopyAccessList(const std::string& from, int to) {
    Room room;
    const ssize_t got = room.Read(from, kAccessList);
    if (got >= 0)
        return fsetxattr(to, kAccessList, room.Bytes(), std::size_t(got), 0) == 0;
    return (errno == ENODATA || errno == ENOTSUP) && FSRemoveAccessList(to);
}

bool FSRemoveAccessList(int to) {
    return RemoveAccessList(to, kAccessList);
}

} // namespace tbx

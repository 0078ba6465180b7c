#include "platform/files/fs_attributes.h"

#include <cerrno>
#include <linux/limits.h>
#include <memory>
#include <sys/xattr.h>

namespace tbx {

namespace {

// Room for the largest value: past XATTR_SIZE_MAX the kernel answers E2BIG, never ERANGE.
using Room = std::unique_ptr<char[]>;

Room MakeRoom() {
    return std::make_unique_for_overwrite<char[]>(XATTR_SIZE_MAX);
}

ssize_t ReadValue(const std::string& file, const char* name, const Room& room) {
    return getxattr(file.c_str(), name, room.get(), XATTR_SIZE_MAX);
}

// Refused for want of support, or outside the user's own namespace for want of privilege.
bool LeftBehind(std::string_view name, int error) {
    return error == ENOTSUP || (!name.starts_with("user.") && (error == EPERM || error == EACCES));
}

} // namespace

bool FSListAttributes(const std::string& file, std::string& names) {
    // Past XATTR_LIST_MAX the kernel answers E2BIG, never ERANGE.
    names.resize(XATTR_LIST_MAX);
    const ssize_t got = listxattr(file.c_str(), names.data(), names.size());
    names.resize(got < 0 ? 0 : std::size_t(got));
    return got >= 0;
}

bool FSReadAttribute(const std::string& file, const char* name, std::string& value) {
    const Room room = MakeRoom();
    const ssize_t got = ReadValue(file, name, room);
    value.assign(room.get(), got < 0 ? 0 : std::size_t(got));
    return got >= 0;
}

bool FSCopyAttributes(const std::string& from, int to, bool (*wanted)(std::string_view name)) {
    std::string names;
    if (!FSListAttributes(from, names))
        return errno == ENOTSUP;
    const Room room = MakeRoom();
    for (std::size_t at = 0, end; (end = names.find('\0', at)) != names.npos; at = end + 1) {
        const char* name = names.c_str() + at;
        if (!wanted(name))
            continue;
        const ssize_t got = ReadValue(from, name, room);
        if (got < 0) {
            if (errno == ENODATA || LeftBehind(name, errno))
                continue; // gone since the listing, or never ours to copy
            return false;
        }
        if (fsetxattr(to, name, room.get(), std::size_t(got), 0) != 0 && !LeftBehind(name, errno))
            return false;
    }
    return true;
}

} // namespace tbx

#include "platform/files/fs_temporary.h"

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <tuple>
#include <unistd.h>

namespace tbx {

namespace {

constexpr std::string_view kPrefix = ".stravel-";
constexpr std::string_view kSuffix = ".tmp";
constexpr int kSlots = 16;
constexpr std::size_t kHashDigits = 16;

std::string Hex(uint64_t value, std::size_t digits) {
    std::string text(digits, '0');
    for (std::size_t i = digits; i-- > 0; value >>= 4)
        text[i] = "0123456789abcdef"[value & 15];
    return text;
}

bool IsHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// FNV-1a: stable across runs, so a later process finds what an earlier one left.
uint64_t NameHash(std::string_view name) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : name)
        hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

// ".stravel-" + 16 digits + "-" + one digit + ".tmp", as made below.
bool IsTemporaryName(std::string_view name) {
    constexpr std::size_t kLength = kPrefix.size() + kHashDigits + 2 + kSuffix.size();
    return name.size() == kLength && name.starts_with(kPrefix) && name.ends_with(kSuffix) &&
           name[kPrefix.size() + kHashDigits] == '-' &&
           IsHex(name.substr(kPrefix.size(), kHashDigits)) &&
           IsHex(name.substr(kPrefix.size() + kHashDigits + 1, 1));
}

// Removes the temporary file `name` of the folder `dirfd` when nobody holds its lock, and only
// the file that was tested, should another have taken its name meanwhile.
bool RemoveIfStale(int dirfd, const std::string& name) {
    const int fd = openat(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened, named;
    const bool stale = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                       flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                       fstatat(dirfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                       named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
                       unlinkat(dirfd, name.c_str(), 0) == 0;
    close(fd);
    return stale;
}

// Folders this process has swept, told apart by their birth times where inode numbers come
// back. Writers that died before the sweep left their files there; one that dies later is met
// by the next writer of its target, or swept by the next process.
std::mutex gSweptMutex;
std::set<std::tuple<dev_t, ino_t, int64_t, uint32_t>> gSwept;
constexpr std::size_t kMostSwept = 256;

void SweepOnce(const std::string& folder) {
    struct statx info;
    if (statx(AT_FDCWD, folder.c_str(), 0, STATX_INO | STATX_BTIME, &info) != 0)
        return;
    const bool born = info.stx_mask & STATX_BTIME;
    const auto key =
        std::make_tuple(makedev(info.stx_dev_major, info.stx_dev_minor), ino_t(info.stx_ino),
                        born ? info.stx_btime.tv_sec : 0, born ? info.stx_btime.tv_nsec : 0);
    {
        std::lock_guard<std::mutex> lock(gSweptMutex);
        if (gSwept.size() >= kMostSwept)
            gSwept.clear();
        if (!gSwept.insert(key).second)
            return;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    while (const struct dirent* entry = readdir(dir))
        if (IsTemporaryName(entry->d_name))
            RemoveIfStale(dirfd(dir), entry->d_name);
    closedir(dir);
}

} // namespace

int FSOpenTemporaryBeside(const std::string& target, mode_t mode, std::string& temporary) {
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    SweepOnce(folder.empty() ? "." : folder);
    const std::string stem = folder + std::string(kPrefix) +
                             Hex(NameHash(target.substr(folder.size())), kHashDigits) + "-";
    bool retried = false;
    for (int slot = 0; slot < kSlots;) {
        temporary = stem + Hex(uint64_t(slot), 1) + std::string(kSuffix);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno != EEXIST)
                break;
            // Taken: by a writer at work, or left by one that died, which goes.
            if (!retried && RemoveIfStale(AT_FDCWD, temporary)) {
                retried = true;
                continue;
            }
            retried = false;
            ++slot;
            continue;
        }
        const int locked = flock(fd, LOCK_EX | LOCK_NB);
        if (locked != 0 && errno != EWOULDBLOCK)
            return fd; // no locks here: no cleaner takes the file away either
        struct stat made;
        if (locked == 0 && fstat(fd, &made) == 0 && made.st_nlink > 0)
            return fd;
        // A cleaner took the new file between its creation and the lock.
        close(fd);
        retried = false;
        ++slot;
    }
    const int error = errno;
    temporary.clear();
    errno = error;
    return -1;
}

} // namespace tbx

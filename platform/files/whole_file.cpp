#include "platform/files/whole_file.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace tbx {

int OpenRegularFile(const std::string& path) {
    // Non-blocking, so that opening a pipe never waits for a writer; a regular file reads
    // the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t maxBytes) {
    bytes.clear();
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && uint64_t(info.st_size) <= maxBytes;
    if (ok) {
        try {
            bytes.resize(std::size_t(info.st_size));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    // The file may change under us: read what is there and check that it ends where stat
    // said it would.
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? std::size_t(n) : 0;
    }
    if (ok) {
        char extra;
        ssize_t n;
        while ((n = ::read(fd, &extra, 1)) < 0 && errno == EINTR) {
        }
        ok = n == 0;
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

} // namespace tbx

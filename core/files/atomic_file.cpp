#include "core/files/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

bool WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
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

bool WriteAllAt(int fd, const char* data, std::size_t size, uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done));
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

std::string UniqueSuffix() {
    static std::random_device device;
    static std::mt19937_64 generator(device());
    char text[24];
    std::snprintf(text, sizeof text, ".%016llx~", static_cast<unsigned long long>(generator()));
    return text;
}

} // namespace

bool CBK_AtomicFile::Open(const std::string& path) {
    Discard();
    _failed = false;
    _written = 0;
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    _target = path;
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved))
            return false;
        _target = resolved;
    }
    if (::stat(_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        // Devices and pipes cannot be renamed over; they get the bytes directly.
        _fd = ::open(_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return _fd >= 0;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        _temporary = _target + UniqueSuffix();
        _fd = ::open(_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (_fd >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    _temporary.clear();
    return false;
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
    if (size > 0 && !WriteAllAt(_fd, bytes, size, offset))
        _failed = true;
    return !_failed;
}

bool CBK_AtomicFile::Commit() {
    if (_fd < 0)
        return false;
    bool ok = Flush();
    int saved = errno;
    if (ok && !_temporary.empty() && ::fsync(_fd) != 0) {
        ok = false;
        saved = errno;
    }
    if (::close(_fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    _fd = -1;
    if (_temporary.empty())
        return ok;
    if (ok && ::rename(_temporary.c_str(), _target.c_str()) == 0) {
        _temporary.clear();
        return true;
    }
    if (ok)
        saved = errno;
    ::unlink(_temporary.c_str());
    _temporary.clear();
    errno = saved;
    return false;
}

void CBK_AtomicFile::Discard() {
    const int saved = errno;
    if (_fd >= 0)
        ::close(_fd);
    _fd = -1;
    _buffer.clear();
    _written = 0;
    if (!_temporary.empty())
        ::unlink(_temporary.c_str());
    _temporary.clear();
    errno = saved;
}

bool BK_WriteFileAtomically(const std::string& path, std::string_view bytes) {
    CBK_AtomicFile file;
    return file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

#include "media/codecs/codec_files.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes) {
    bytes.clear();
    FILE* file = path.OpenAsStdFile(L"rb");
    if (!file)
        return false;
    struct stat info;
    bool ok = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) &&
              uint64_t(info.st_size) <= maxBytes;
    if (ok) {
        try {
            bytes.resize(std::size_t(info.st_size));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    // The file may change under us: read what is there and check that it ends where stat
    // said it would.
    if (ok && !bytes.empty())
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (ok)
        ok = std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    if (!ok)
        bytes.clear();
    return ok;
}

CBK_ReplacingFile::~CBK_ReplacingFile() {
    Discard();
}

FILE* CBK_ReplacingFile::Open(const CBK_Path& path) {
    Discard();
    _target = BK_WideToFileSystemName(path.GetPathString());
    if (_target.empty() || _target.back() == '/')
        return nullptr;
    const std::size_t slash = _target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : _target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? _target : _target.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    // mkstemp makes the file private; the result gets the mode a plain create would give.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    _stream = fdopen(fd, "wb");
    if (!_stream) {
        close(fd);
        unlink(pattern.c_str());
        return nullptr;
    }
    _temporary = pattern;
    return _stream;
}

bool CBK_ReplacingFile::Commit() {
    if (!_stream)
        return false;
    bool ok = std::fflush(_stream) == 0 && !std::ferror(_stream);
    ok = fsync(fileno(_stream)) == 0 && ok;
    ok = std::fclose(_stream) == 0 && ok;
    _stream = nullptr;
    if (ok)
        ok = std::rename(_temporary.c_str(), _target.c_str()) == 0;
    if (!ok)
        unlink(_temporary.c_str());
    _temporary.clear();
    return ok;
}

void CBK_ReplacingFile::Discard() {
    if (_stream) {
        std::fclose(_stream);
        _stream = nullptr;
    }
    if (!_temporary.empty()) {
        unlink(_temporary.c_str());
        _temporary.clear();
    }
}

bool BK_WriteFileReplacing(const CBK_Path& path, const uint8_t* bytes, std::size_t size) {
    CBK_ReplacingFile file;
    FILE* stream = file.Open(path);
    if (!stream)
        return false;
    if (size > 0 && std::fwrite(bytes, 1, size, stream) != size) {
        file.Discard();
        return false;
    }
    return file.Commit();
}

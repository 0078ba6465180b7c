#include "core/codec/file_io.h"

#include <cerrno>
#include <cwchar>
#include <memory>
#include <random>
#include <unistd.h>

namespace codec_detail {

bool ReadWholeFile(const CBK_Path& path, std::vector<unsigned char>& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(path.OpenAsStdFile(L"rb"), &std::fclose);
    if (!file)
        return false;
    std::vector<unsigned char> content;
    unsigned char chunk[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        content.insert(content.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file.get()))
        return false;
    bytes.insert(bytes.end(), content.begin(), content.end());
    return true;
}

FileReplacement::FileReplacement(const CBK_Path& target) : _target(target) {
    if (target.GetPathString().empty())
        return;
    std::random_device random;
    for (int attempt = 0; attempt < 32; ++attempt) {
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L".%08x.tmp", static_cast<unsigned>(random()));
        CBK_Path candidate(target.GetPathString() + suffix);
        // "x": created exclusively, so a name someone else holds is never reused.
        errno = 0;
        if (FILE* file = candidate.OpenAsStdFile(L"wbx")) {
            _file = file;
            _temp = candidate;
            return;
        }
        if (errno != EEXIST)
            return;
    }
}

FileReplacement::~FileReplacement() {
    Discard();
}

bool FileReplacement::Write(const void* data, std::size_t n) {
    if (!_file || _failed)
        return false;
    if (n > 0 && std::fwrite(data, 1, n, _file) != n)
        _failed = true;
    return !_failed;
}

bool FileReplacement::Commit() {
    if (!_file)
        return false;
    bool ok = !_failed && std::fflush(_file) == 0 && fsync(fileno(_file)) == 0;
    ok = std::fclose(_file) == 0 && ok;
    _file = nullptr;
    const std::string tempName = BK_WideToFileSystemName(_temp.GetPathString());
    if (ok && std::rename(tempName.c_str(),
                          BK_WideToFileSystemName(_target.GetPathString()).c_str()) == 0) {
        _temp = CBK_Path();
        return true;
    }
    std::remove(tempName.c_str());
    _temp = CBK_Path();
    return false;
}

void FileReplacement::Discard() {
    if (_file) {
        std::fclose(_file);
        _file = nullptr;
    }
    if (!_temp.GetPathString().empty()) {
        std::remove(BK_WideToFileSystemName(_temp.GetPathString()).c_str());
        _temp = CBK_Path();
    }
}

} // namespace codec_detail

#include "core/files/whole_file.h"

#include <cstdio>
#include <new>
#include <sys/stat.h>

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

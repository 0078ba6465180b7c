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

} // namespace codec_detail

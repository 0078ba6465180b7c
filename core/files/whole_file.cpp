#include "core/files/whole_file.h"

#include <unistd.h>

#include "platform/files/whole_file.h"

bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes) {
    return tbx::ReadWholeFile(BK_WideToFileSystemName(path.GetPathString()), bytes, maxBytes);
}

FILE* BK_OpenRegularFile(const CBK_Path& path) {
    const int fd = tbx::OpenRegularFile(BK_WideToFileSystemName(path.GetPathString()));
    if (fd < 0)
        return nullptr;
    FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

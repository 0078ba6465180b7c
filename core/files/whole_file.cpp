#include "core/files/whole_file.h"

#include "platform/files/whole_file.h"

bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes) {
    return tbx::ReadWholeFile(BK_WideToFileSystemName(path.GetPathString()), bytes, maxBytes);
}

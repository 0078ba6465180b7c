#include "media/movie/temporary_file.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

bool BK_MakeTemporaryFile(const char* stem, const char* extension, CBK_Path& path) {
    CBK_Path folder;
    if (!folder.MakeTempLevelPath(L"", true))
        return false;
    const std::string pattern =
        BK_WideToFileSystemName(folder.GetFullPathString()) + stem + "_XXXXXX" + extension;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    const int fd = mkstemps(name.data(), int(std::strlen(extension)));
    if (fd < 0)
        return false;
    close(fd);
    path = CBK_Path(BK_FileSystemNameToWide(name.data()));
    return true;
}

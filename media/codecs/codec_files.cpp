#include "media/codecs/codec_files.h"

std::string BK_CodecFileName(const CBK_Path& path) {
    return BK_WideToFileSystemName(path.GetFullPathString(POSIX_PATH));
}

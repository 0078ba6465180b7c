// File access for the image codecs: whole files read with a size limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/paths/path.h"

// The whole file into `bytes`; false when it cannot be opened or read, or is larger than
// maxBytes.
bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

// The name under which the file system knows the path (a relative path being taken from the
// application's folder), for writers that replace files atomically.
std::string BK_CodecFileName(const CBK_Path& path);

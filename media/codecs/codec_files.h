// File access for the image codecs: whole files read with a size limit (core's reader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/files/whole_file.h"
#include "core/paths/path.h"

// The name under which the file system knows the path (a relative path being taken from the
// application's folder), for writers that replace files atomically.
std::string BK_CodecFileName(const CBK_Path& path);

// Whole-file reads shared by the file forms of the codecs.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "core/paths/path.h"

namespace codec_detail {

// Appends nothing and returns false when the file does not open or a read fails.
bool ReadWholeFile(const CBK_Path& path, std::vector<unsigned char>& bytes);

} // namespace codec_detail

// QuickDraw picture files as still pictures: a 512-byte preamble, then the picture, or the
// picture alone. Internal to the movie stand-in.
#pragma once

#include <string>

#include "platform/pict/pict_decode.h"

namespace tbx::movie {

// The picture of the file at `path`; false when the file does not hold a version 1 or 2
// picture behind the preamble or at its start, or the picture does not decode.
bool ReadPictureFile(const std::string& path, DecodedPicture& picture);

} // namespace tbx::movie

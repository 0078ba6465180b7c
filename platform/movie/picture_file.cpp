#include "platform/movie/picture_file.h"

#include <unistd.h>

#include "platform/files/whole_file.h"

namespace tbx::movie {

namespace {

constexpr std::size_t kPreamble = 512;
// The picture's size word and frame come before its version.
constexpr std::size_t kVersionAt = kPreamble + 10;
// Pictures up to the decoder's cap, stored at 32 bits a pixel, with room for their opcodes.
constexpr std::size_t kMaxFileBytes = kMaxPicturePixels * 4 + (std::size_t(1) << 20);

bool IsPictureVersion(const uint8_t* at) {
    const bool version1 = at[0] == 0x11 && at[1] == 0x01;
    const bool version2 = at[0] == 0x00 && at[1] == 0x11 && at[2] == 0x02 && at[3] == 0xFF;
    return version1 || version2;
}

// Whether the file has a picture's version where a picture file keeps it; a look at a few
// bytes, so that other files are not read whole.
bool LooksLikePictureFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    uint8_t version[4] = {};
    const bool read = ::pread(fd, version, sizeof version, off_t(kVersionAt)) == sizeof version;
    ::close(fd);
    return read && IsPictureVersion(version);
}

} // namespace

bool ReadPictureFile(const std::string& path, DecodedPicture& picture) {
    std::vector<uint8_t> bytes;
    return LooksLikePictureFile(path) && ReadWholeFile(path, bytes, kMaxFileBytes) &&
           bytes.size() > kPreamble &&
           DecodePicture(bytes.data() + kPreamble, bytes.size() - kPreamble, picture);
}

} // namespace tbx::movie

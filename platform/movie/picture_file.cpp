#include "platform/movie/picture_file.h"

#include <unistd.h>

#include "platform/files/whole_file.h"

namespace tbx::movie {

namespace {

constexpr std::size_t kPreamble = 512;
// The picture's size word and frame come before its version.
constexpr std::size_t kFrameAt = kPreamble + 2;
constexpr std::size_t kVersionAt = kPreamble + 10;
// Pictures up to the decoder's cap, stored at 32 bits a pixel, with room for their opcodes.
constexpr std::size_t kMaxFileBytes = kMaxPicturePixels * 4 + (std::size_t(1) << 20);

int16_t Word(const uint8_t* at) {
    return int16_t(at[0] << 8 | at[1]);
}

// A frame with room in it, then the opcode of a version 1 or version 2 picture.
bool IsPictureStart(const uint8_t* frame) {
    const uint8_t* version = frame + (kVersionAt - kFrameAt);
    const bool version1 = version[0] == 0x11 && version[1] == 0x01;
    const bool version2 =
        version[0] == 0x00 && version[1] == 0x11 && version[2] == 0x02 && version[3] == 0xFF;
    return Word(frame + 4) > Word(frame) && Word(frame + 6) > Word(frame + 2) &&
           (version1 || version2);
}

// Whether the file starts a picture where a picture file keeps it; a look at a few bytes, so
// that other files are not read whole.
bool LooksLikePictureFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    uint8_t start[kVersionAt + 4 - kFrameAt] = {};
    const bool read = ::pread(fd, start, sizeof start, off_t(kFrameAt)) == ssize_t(sizeof start);
    ::close(fd);
    return read && IsPictureStart(start);
}

} // namespace

bool ReadPictureFile(const std::string& path, DecodedPicture& picture) {
    std::vector<uint8_t> bytes;
    return LooksLikePictureFile(path) && ReadWholeFile(path, bytes, kMaxFileBytes) &&
           bytes.size() > kPreamble &&
           DecodePicture(bytes.data() + kPreamble, bytes.size() - kPreamble, picture);
}

} // namespace tbx::movie

#include "platform/movie/picture_file.h"

#include <unistd.h>

#include "platform/files/whole_file.h"

namespace tbx::movie {

namespace {

constexpr std::size_t kPreamble = 512;
// The picture's size word and frame come before its version.
constexpr std::size_t kFrameAt = 2;
constexpr std::size_t kVersionAt = 10;
constexpr std::size_t kStartBytes = kVersionAt + 4;
// Pictures up to the decoder's cap, stored at 32 bits a pixel, with room for their opcodes.
constexpr std::size_t kMaxFileBytes = kMaxPicturePixels * 4 + (std::size_t(1) << 20);

int16_t Word(const uint8_t* at) {
    return int16_t(at[0] << 8 | at[1]);
}

// A frame with room in it, then the opcode of a version 1 or version 2 picture.
bool IsPictureStart(const uint8_t* picture) {
    const uint8_t* frame = picture + kFrameAt;
    const uint8_t* version = picture + kVersionAt;
    const bool version1 = version[0] == 0x11 && version[1] == 0x01;
    const bool version2 =
        version[0] == 0x00 && version[1] == 0x11 && version[2] == 0x02 && version[3] == 0xFF;
    return Word(frame + 4) > Word(frame) && Word(frame + 6) > Word(frame + 2) &&
           (version1 || version2);
}

// Where the file's picture starts: behind the preamble that picture files have, or, in files
// written without one, at the start. A look at a few bytes, so that other files are not read
// whole. False when neither place starts a picture.
bool FindPicture(const std::string& path, std::size_t& at) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    uint8_t start[kPreamble + kStartBytes] = {};
    const ssize_t read = ::pread(fd, start, sizeof start, 0);
    ::close(fd);
    for (std::size_t offset : {kPreamble, std::size_t(0)})
        if (read >= ssize_t(offset + kStartBytes) && IsPictureStart(start + offset)) {
            at = offset;
            return true;
        }
    return false;
}

} // namespace

bool ReadPictureFile(const std::string& path, DecodedPicture& picture) {
    std::vector<uint8_t> bytes;
    std::size_t at = 0;
    return FindPicture(path, at) && ReadWholeFile(path, bytes, kMaxFileBytes) &&
           bytes.size() > at && DecodePicture(bytes.data() + at, bytes.size() - at, picture);
}

} // namespace tbx::movie

#include "platform/movie/mp3_tags.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/whole_file.h"

namespace tbx::movie {

namespace {

// The samples that an MP3 decoder's filter bank puts before the sound.
constexpr int32_t kDecoderDelay = 529;
constexpr std::size_t kId3Header = 10;
constexpr int64_t kId3v1 = 128;
// The frame header, the most side information, the Xing tag with its table and the encoder's
// tag up to its delays.
constexpr std::size_t kTagBytes = 4 + 32 + 8 + 8 + 100 + 4 + 24;

uint32_t Big32(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

} // namespace

int64_t Mp3Tags::Skipped() const {
    return int64_t(delay) + kDecoderDelay;
}

int64_t Mp3Tags::DecodedSamples() const {
    return frames * frameSamples - Skipped() - std::max<int64_t>(0, padding - kDecoderDelay);
}

bool ReadMp3Tags(const std::string& path, Mp3Tags& tags) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    struct stat info {};
    uint8_t id3[kId3Header] = {};
    uint8_t frame[kTagBytes] = {};
    off_t offset = 0;
    bool read = ::fstat(fd, &info) == 0 && ::pread(fd, id3, sizeof id3, 0) == ssize_t(sizeof id3);
    if (read && std::memcmp(id3, "ID3", 3) == 0)
        offset = off_t(kId3Header) + (id3[5] & 0x10 ? off_t(kId3Header) : 0) +
                 ((id3[6] & 0x7F) << 21 | (id3[7] & 0x7F) << 14 | (id3[8] & 0x7F) << 7 |
                  (id3[9] & 0x7F));
    read = read && ::pread(fd, frame, sizeof frame, offset) == ssize_t(sizeof frame);
    ::close(fd);
    // A layer III frame header; MPEG-1 (version 3) frames hold 1152 samples, MPEG-2 and 2.5
    // ones 576, and the side information before the tag is sized by version and channels.
    const int version = (frame[1] >> 3) & 3;
    if (!read || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0 || ((frame[1] >> 1) & 3) != 1 ||
        version == 1)
        return false;
    const bool mono = frame[3] >> 6 == 3;
    const uint8_t* xing = frame + 4 + (version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const uint32_t flags = Big32(xing + 4);
    if ((std::memcmp(xing, "Xing", 4) != 0 && std::memcmp(xing, "Info", 4) != 0) ||
        (flags & 3) != 3)
        return false;
    tags.frames = Big32(xing + 8);
    const int64_t bytes = Big32(xing + 12);
    const uint8_t* encoder = xing + 16 + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    if (std::memcmp(encoder, "LAME", 4) != 0 && std::memcmp(encoder, "Lavf", 4) != 0 &&
        std::memcmp(encoder, "Lavc", 4) != 0)
        return false;
    // Bytes 21 to 23 of the encoder's tag: the delay and the padding, 12 bits each.
    tags.delay = encoder[21] << 4 | encoder[22] >> 4;
    tags.padding = (encoder[22] & 0x0F) << 8 | encoder[23];
    tags.frameSamples = version == 3 ? 1152 : 576;
    const int64_t after = int64_t(info.st_size) - offset - bytes;
    return tags.frames > 0 && (after == 0 || after == kId3v1);
}

} // namespace tbx::movie

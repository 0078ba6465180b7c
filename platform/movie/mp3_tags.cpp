#include "platform/movie/mp3_tags.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Places in the stream where frames are sampled, and frames read at each, to weigh the frame
// count against the frames' own sizes.
constexpr int kSamplePlaces = 16;
constexpr int kSampledFrames = 32;

// The bytes of the layer III frame whose header is at `at`, of the given version and rate index;
// 0 where it is no such header.
int FrameBytes(const uint8_t* at, int version, int rateIndex) {
    static constexpr int kMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                       112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kMpeg2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                       64, 80, 96, 112, 128, 144, 160, 0};
    static constexpr int kRates[4] = {44100, 48000, 32000, 0};
    if (at[0] != 0xFF || (at[1] & 0xE0) != 0xE0 || ((at[1] >> 3) & 3) != version ||
        ((at[1] >> 1) & 3) != 1 || ((at[2] >> 2) & 3) != rateIndex)
        return 0;
    const int kbps = (version == 3 ? kMpeg1 : kMpeg2)[at[2] >> 4];
    const int rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    if (kbps == 0 || rate == 0)
        return 0;
    return (version == 3 ? 144 : 72) * kbps * 1000 / rate + ((at[2] >> 1) & 1);
}

// Whether the frames' own sizes, sampled through the stream, bear out the number of frames that
// the tag gives for its bytes: a tag whose count alone was changed would end the sound early.
bool FramesBearOut(int fd, off_t offset, const uint8_t* first, int64_t bytes, int64_t frames) {
    const int version = (first[1] >> 3) & 3, rateIndex = (first[2] >> 2) & 3;
    const int tagged = FrameBytes(first, version, rateIndex);
    if (tagged <= 0 || bytes <= tagged)
        return false;
    const int64_t stream = bytes - tagged;
    // The largest frame: 320 kbit/s at 32 kHz, with its padding byte.
    constexpr std::size_t kLargestFrame = 1441;
    std::vector<uint8_t> buffer(std::size_t(kSampledFrames + 2) * kLargestFrame);
    int64_t sampled = 0, sampledBytes = 0;
    int smallest = INT32_MAX, largest = 0;
    for (int place = 0; place < kSamplePlaces; ++place) {
        const off_t from = offset + tagged + off_t(stream * place / kSamplePlaces);
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), from);
        const std::size_t end = got > 0 ? std::size_t(got) : 0;
        // The first header from which two frames follow each other.
        std::size_t at = 0;
        for (; at + 4 <= end; ++at) {
            const int size = FrameBytes(&buffer[at], version, rateIndex);
            if (size > 0 &&
                (at + size + 4 > end || FrameBytes(&buffer[at + size], version, rateIndex) > 0))
                break;
        }
        for (int n = 0; n < kSampledFrames && at + 4 <= end; ++n) {
            const int size = FrameBytes(&buffer[at], version, rateIndex);
            if (size <= 0 || at + size > end)
                break;
            ++sampled;
            sampledBytes += size;
            smallest = std::min(smallest, size);
            largest = std::max(largest, size);
            at += std::size_t(size);
        }
    }
    if (sampled < kSampledFrames)
        return false;
    // Frames of one bitrate (their sizes apart by a padding byte) tell the count to a frame or
    // two; others, through their average, to within the spread of their sizes.
    const double estimate = double(stream) * double(sampled) / double(sampledBytes);
    const double slack = largest - smallest <= 1 ? std::max(2.0, estimate / 500) : estimate / 5;
    return std::abs(estimate - double(frames)) <= slack;
}

} // namespace

int64_t Mp3Tags::Skipped() const {
    return int64_t(delay) + kDecoderDelay;
}

int64_t Mp3Tags::DecodedSamples() const {
    return frames * frameSamples - Skipped() - std::max<int64_t>(0, padding - kDecoderDelay);
}

bool ReadMp3Tags(const std::string& path, Mp3Tags& tags) {
    struct Descriptor {
        int fd;
        ~Descriptor() {
            if (fd >= 0)
                ::close(fd);
        }
    } file{OpenRegularFile(path)};
    if (file.fd < 0)
        return false;
    struct stat info {};
    uint8_t id3[kId3Header] = {};
    uint8_t frame[kTagBytes] = {};
    off_t offset = 0;
    bool read =
        ::fstat(file.fd, &info) == 0 && ::pread(file.fd, id3, sizeof id3, 0) == ssize_t(sizeof id3);
    if (read && std::memcmp(id3, "ID3", 3) == 0)
        offset = off_t(kId3Header) + (id3[5] & 0x10 ? off_t(kId3Header) : 0) +
                 ((id3[6] & 0x7F) << 21 | (id3[7] & 0x7F) << 14 | (id3[8] & 0x7F) << 7 |
                  (id3[9] & 0x7F));
    read = read && ::pread(file.fd, frame, sizeof frame, offset) == ssize_t(sizeof frame);
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
    if (tags.frames <= 0 || (after != 0 && after != kId3v1))
        return false;
    tags.contradicted = !FramesBearOut(file.fd, offset, frame, bytes, tags.frames);
    return !tags.contradicted;
}

} // namespace tbx::movie

#include "platform/pict/pict_jpeg_work.h"

#include <algorithm>

namespace tbx::pict {
namespace {

constexpr uint8_t kScan = 0xDA;

uint32_t Word(const uint8_t* at) {
    return uint32_t(at[0]) << 8 | at[1];
}

uint32_t Long(const uint8_t* at) {
    return Word(at) << 16 | Word(at + 2);
}

// The frame headers that FFmpeg's and libjpeg's decoders act on: baseline, extended,
// progressive, lossless and JPEG-LS.
bool IsFrame(uint8_t marker) {
    return (marker >= 0xC0 && marker <= 0xC3) || marker == 0xF7;
}

// A frame header's fields from its length on: length, precision, height, width.
void AddFrame(const uint8_t* header, std::size_t left, uint64_t maxPixels, JpegWork& work) {
    if (left < 7)
        return;
    const uint64_t pixels = uint64_t(Word(header + 3)) * Word(header + 5);
    if (pixels == 0 || pixels > maxPixels)
        return;
    ++work.frames;
    work.pixels = std::max(work.pixels, pixels);
}

} // namespace

uint64_t JpegWork::Work() const {
    // Setting up a frame clears its buffers; a scan that codes no coefficient still visits
    // every block, at about a quarter of the cost of filling its pixels.
    return uint64_t(frames) * pixels + uint64_t(scans) * (pixels / 4 + 1);
}

JpegWork MarkedJpegWork(const uint8_t* data, std::size_t size, uint64_t maxPixels) {
    JpegWork work;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] != 0xFF)
            continue;
        if (data[i + 1] == kScan)
            ++work.scans;
        else if (IsFrame(data[i + 1]))
            AddFrame(data + i + 2, size - i - 2, maxPixels, work);
    }
    return work;
}

JpegWork MotionJpegBWork(const uint8_t* data, std::size_t size, uint64_t maxPixels) {
    // Reserved, 'mjpg', field size, padded field size, then offsets of the second field (from
    // the first field's start), quantisation and Huffman tables, frame header, scan header
    // and scan data. An offset past the data is taken as none.
    constexpr std::size_t kHeader = 40;
    JpegWork work;
    std::size_t field = 0;
    for (int n = 0; n < 2 && field < size && size - field >= kHeader; ++n) {
        const uint8_t* h = data + field;
        const std::size_t left = size - field;
        if (Long(h + 4) != 0x6D6A7067) // 'mjpg'
            break;
        const uint32_t frame = Long(h + 28), scan = Long(h + 32);
        if (frame != 0 && frame < left)
            AddFrame(h + frame, left - frame, maxPixels, work);
        if (scan != 0 && scan < left)
            ++work.scans;
        const uint32_t second = Long(h + 16);
        if (second == 0 || second >= size)
            break;
        field = second;
    }
    return work;
}

} // namespace tbx::pict

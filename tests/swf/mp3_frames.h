// MP3 files split into their frames with the model's frame-header parser, as the tests feed
// them to stream blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/sound/mpeg_frame.h"

namespace mp3test {

// Every frame after an optional ID3v2 tag, each with its bytes (header included) as data.
// Bytes between frames that do not start a valid header are skipped.
inline std::vector<ravuz::CMpegFrame> SplitFrames(const uint8_t* data, std::size_t size) {
    std::vector<ravuz::CMpegFrame> frames;
    std::size_t p = 0;
    if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3')
        p = 10 + ((std::size_t(data[6] & 0x7F) << 21) | (std::size_t(data[7] & 0x7F) << 14) |
                  (std::size_t(data[8] & 0x7F) << 7) | (data[9] & 0x7F));
    while (p + 4 <= size) {
        ravuz::CMpegFrame frame;
        frame.SetHeader(data + p);
        const bool sync = (frame.GetHeader() >> 21) == 0x7FF;
        const std::size_t length = 4 + std::size_t(frame.GetSampleSize());
        if (!sync || !frame.IsValidHeader() || p + length > size) {
            ++p;
            continue;
        }
        frame.GetData().assign(data + p, data + p + length);
        frames.push_back(std::move(frame));
        p += length;
    }
    return frames;
}

} // namespace mp3test

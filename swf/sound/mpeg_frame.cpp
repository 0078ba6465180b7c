#include "swf/sound/mpeg_frame.h"

namespace ravuz {

// clang-format off
const uint32_t CMpegFrame::bitrateTable[16 * 4] = {
    //  2.5     reserved  2       1
         0,      0,       0,      0,
      8000,      0,    8000,  32000,
     16000,      0,   16000,  40000,
     24000,      0,   24000,  48000,
     32000,      0,   32000,  56000,
     40000,      0,   40000,  64000,
     48000,      0,   48000,  80000,
     56000,      0,   56000,  96000,
     64000,      0,   64000, 112000,
     80000,      0,   80000, 128000,
     96000,      0,   96000, 160000,
    112000,      0,  112000, 192000,
    128000,      0,  128000, 224000,
    144000,      0,  144000, 256000,
    160000,      0,  160000, 320000,
         0,      0,       0,      0,
};

const uint32_t CMpegFrame::sampleTable[3 * 4] = {
    11025, 0, 22050, 44100,
    12000, 0, 24000, 48000,
     8000, 0, 16000, 32000,
};
// clang-format on

void CMpegFrame::SetHeader(const uint8_t bytes[4]) {
    _header = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
              bytes[3];
}

uint32_t CMpegFrame::GetBitrate() const {
    return bitrateTable[GetBitrateIndex() * 4 + GetMpegVersion()];
}

uint32_t CMpegFrame::GetSamplingrate() const {
    const uint8_t index = GetSamplingrateIndex();
    return index < 3 ? sampleTable[index * 4 + GetMpegVersion()] : 0;
}

uint32_t CMpegFrame::GetSampleSize() const {
    const uint32_t rate = GetSamplingrate();
    if (rate == 0)
        return 0;
    const uint32_t coefficient = GetMpegVersion() == mpegVERSION1 ? 144 : 72;
    const uint32_t length = coefficient * GetBitrate() / rate + GetPaddingBit();
    return length > 4 ? length - 4 : 0;
}

uint32_t CMpegFrame::GetDecodedFrameSize() const {
    return GetMpegVersion() == mpegVERSION1 ? 1152 : 576;
}

bool CMpegFrame::IsValidHeader() const {
    if (GetMpegVersion() == mpegVERSIONRESERVED || GetLayer() != mpegLAYER3)
        return false;
    if (GetBitrate() == 0 || GetSamplingrateIndex() == 3)
        return false;
    return GetSampleSize() >= 4;
}

} // namespace ravuz

#include "swf/video/video_frame.h"

#include <algorithm>

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/stream_reserve.h"
#include "swf/video/bit_stream_parser.h"

namespace ravuz {

// clang-format off
const uint8_t gBK_SwfDefineVideoStreamBlockQualityTable[101] = {
    31, 31,                                      // 0-1
    30, 30, 30, 30, 29, 29, 29, 28, 28, 28,      // 2-11
    27, 27, 27, 27, 26, 26, 26, 25, 25, 25,      // 12-21
    24, 24, 24, 24, 23, 23, 23, 22, 22, 22,      // 22-31
    21, 21, 21, 20, 20, 20, 20, 19, 19, 19,      // 32-41
    18, 18, 18, 18, 17, 17, 17, 16, 16, 16,      // 42-51
    15, 15, 15, 15, 14, 14, 14, 13, 13, 13,      // 52-61
    12, 12, 12, 12, 11, 11, 11, 10, 10, 10,      // 62-71
     9,  9,  9,  9,  8,  8,  8,  7,  7,  7,      // 72-81
     6,  6,  6,  6,  5,  5,  5,  4,  4,  4,      // 82-91
     3,  3,  3,  3,  2,  2,  2,  1,  1,          // 92-100
};
// clang-format on

namespace {

constexpr uint32_t kFrameHead = 4;      // u16 stream id, u16 frame number
constexpr std::size_t kProbeBytes = 80; // enough for any picture header
constexpr uint32_t kCommonBits = 17 + 5 + 8 + 3;
constexpr uint32_t kTypeBits = 2 + 1 + 5;

} // namespace

uint32_t CBK_SwfVideoFrame::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _streamId = in.Word();
    _frameNumber = in.Word();
    uint32_t count = in.Left();
    if (_recordLength != 0)
        count = std::min(count, _recordLength > kFrameHead ? _recordLength - kFrameHead : 0);
    _payload.reset();
    _shared = {};
    // Straight from memory where the bytes are there: a movie's frames are most of it.
    count = std::min(count, in.Left());
    if (CBK_SwfSharedBytes shared = reader->PeekShared(count)) {
        _shared = std::move(shared);
        reader->OffsetBufPos(count);
        return reader->GetBufPos() - start;
    }
    if (!reader->Charge(SwfHeapCost(sizeof(CBK_SwfStream)) + SwfHeapCost(count)))
        return reader->GetBufPos() - start;
    auto payload = std::make_unique<CBK_SwfStream>(4);
    if (const uint8_t* bytes = reader->PeekBytes(count)) {
        payload->AddBytes(bytes, count);
        reader->OffsetBufPos(count);
    } else {
        std::vector<uint8_t> copy;
        in.Bytes(copy, count);
        payload->AddBytes(copy.data(), copy.size());
    }
    _payload = std::move(payload);
    return reader->GetBufPos() - start;
}

CBK_SwfStream* CBK_SwfVideoFrame::GetPayload() const {
    if (_shared) {
        _payload = std::make_unique<CBK_SwfStream>(4);
        _payload->AddBytes(_shared.begin(), _shared.size);
        _shared = {};
    }
    return _payload.get();
}

const uint8_t* CBK_SwfVideoFrame::FrameBytes(std::size_t& size) const {
    if (!_payload) {
        size = _shared.size;
        return _shared.begin();
    }
    const CBK_ByteBuffer& held = _payload->GetStream();
    size = held.size();
    return held.data();
}

uint32_t CBK_SwfVideoFrame::Write(CBK_SwfStream* stream) {
    std::size_t size = 0;
    const uint8_t* bytes = FrameBytes(size);
    SwfReserveMore(*stream, size + 10);
    return WriteTag(stream, false, [&](CBK_SwfStream& s) {
        s.Add(_streamId);
        s.Add(_frameNumber);
        if (size)
            s.AddBytes(bytes, size);
    });
}

void CBK_SwfVideoFrame::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _streamId = OffsetU16(_streamId, idOffset);
}

uint32_t CBK_SwfVideoFrame::GetFrameType() {
    if (!_payload && !_shared)
        return 0;
    std::size_t held = 0;
    const uint8_t* bytes = FrameBytes(held);
    CBK_BitStreamParser parser;
    parser.Add(bytes, std::min(held, kProbeBytes));
    if (parser.BitsLeft() < kCommonBits)
        return 0;
    parser.GetBits(17, false); // picture start code
    parser.GetBits(5, false);  // version
    parser.GetBits(8, false);  // temporal reference
    const uint32_t size = parser.GetBits(3, false);
    const uint32_t dimension = size == 0 ? 8 : size == 1 ? 16 : 0;
    if (parser.BitsLeft() < 2 * dimension + kTypeBits)
        return 0;
    parser.GetBits(dimension, false);
    parser.GetBits(dimension, false);
    const uint32_t type = parser.GetBits(2, false);
    parser.GetBits(1, false); // deblocking flag
    _quantiser = parser.GetBits(5, false);
    return type < 3 ? type + 1 : 0;
}

uint32_t CBK_SwfVideoFrame::GetQuant(int32_t quality) {
    return gBK_SwfDefineVideoStreamBlockQualityTable[std::clamp(quality, 0, 100)];
}

} // namespace ravuz

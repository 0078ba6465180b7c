#include "platform/codec_gate/codec_gate.h"

#include "platform/codec_gate/gate_rows.h"

namespace tbx::gate {
namespace {

struct Row {
    AVCodecID codec;
    Gated (*gate)(const Packet&);
};

// What each decoder reads is in codec_gate.h; a codec not here passes as it is.
constexpr Row kRows[] = {
    {AV_CODEC_ID_MJPEG, MarkedJpeg},   {AV_CODEC_ID_JPEGLS, MarkedJpeg},
    {AV_CODEC_ID_SMVJPEG, MarkedJpeg}, {AV_CODEC_ID_AMV, AmvFrame},
    {AV_CODEC_ID_MJPEGB, MotionJpegB}, {AV_CODEC_ID_TDSC, TdscFrame},
    {AV_CODEC_ID_PNG, PngImage},       {AV_CODEC_ID_TIFF, TiffImage},
    {AV_CODEC_ID_WEBP, WebpImage},     {AV_CODEC_ID_EXR, ExrImage},
};

const Row* Find(AVCodecID codec) {
    for (const Row& row : kRows)
        if (row.codec == codec)
            return &row;
    return nullptr;
}

} // namespace

void Rewrite::Set(std::size_t at, uint8_t value) {
    if (_copy.empty())
        _copy.assign(_packet.data, _packet.data + _packet.size);
    _copy[at] = value;
}

void Rewrite::Put(std::size_t at, const std::vector<uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != At(at + i))
            Set(at + i, bytes[i]);
}

Gated Rewrite::Done(uint64_t work) {
    Gated gated;
    gated.work = work;
    if (!_copy.empty()) {
        gated.verdict = Gated::Verdict::kCopy;
        gated.copy = std::move(_copy);
    }
    return gated;
}

Gated Refused() {
    Gated gated;
    gated.verdict = Gated::Verdict::kRefuse;
    return gated;
}

bool Watched(AVCodecID codec) {
    return Find(codec) != nullptr;
}

Gated Gate(AVCodecID codec, const Packet& packet) {
    if (const Row* row = Find(codec))
        return row->gate(packet);
    Gated gated;
    gated.work = packet.size + uint64_t(packet.width > 0 ? packet.width : 0) *
                                   uint64_t(packet.height > 0 ? packet.height : 0);
    return gated;
}

} // namespace tbx::gate

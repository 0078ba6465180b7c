#include "platform/codec_gate/codec_gate.h"

#include <algorithm>
#include <string_view>

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
    {AV_CODEC_ID_FLIC, FlicFrame},     {AV_CODEC_ID_G2M, G2mFrame},
    {AV_CODEC_ID_RASC, RascFrame},     {AV_CODEC_ID_ARBC, ArbcFrame},
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

Gated Refused(uint64_t spent) {
    Gated gated;
    gated.verdict = Gated::Verdict::kRefuse;
    gated.work = spent;
    return gated;
}

bool Watched(AVCodecID codec) {
    return Find(codec) != nullptr;
}

Gated Gate(AVCodecID codec, const Packet& packet) {
    if (const Row* row = Find(codec)) {
        Gated gated = row->gate(packet);
        // Looking at the bytes is work too, even where the answer comes early.
        if (gated.verdict == Gated::Verdict::kRefuse)
            gated.work = std::max<uint64_t>(gated.work, packet.size);
        return gated;
    }
    Gated gated;
    gated.work = packet.size + Pixels(packet);
    return gated;
}

void Refusals::Add(uint64_t digest) {
    constexpr std::size_t kKept = 4096;
    if (!_known.insert(digest).second)
        return;
    _order.push_back(digest);
    if (_order.size() > kKept) {
        _known.erase(_order.front());
        _order.pop_front();
    }
}

uint64_t Refusals::Digest(AVCodecID codec, const Packet& packet) {
    // Bytes that only share a digest with refused ones are refused too: harmless, as such a
    // pair takes work to make and can only keep its maker's own picture from being drawn.
    const uint64_t bytes = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(packet.data), packet.size));
    uint64_t told = uint64_t(codec) * 0x9E3779B97F4A7C15u ^ uint64_t(uint32_t(packet.width)) << 32 ^
                    uint64_t(uint32_t(packet.height)) ^ packet.maxPixels * 0xC2B2AE3D27D4EB4Fu;
    told ^= told >> 29;
    return bytes ^ told * 0xBF58476D1CE4E5B9u;
}

Gated Gate(AVCodecID codec, const Packet& packet, Refusals& refusals) {
    if (!Watched(codec))
        return Gate(codec, packet);
    // Packets are looked up only once one was refused, so that plain movies pay nothing.
    const bool remembering = !refusals.Empty();
    const uint64_t digest = remembering ? Refusals::Digest(codec, packet) : 0;
    if (remembering && refusals.Holds(digest))
        return Refused(packet.size);
    Gated gated = Gate(codec, packet);
    if (gated.verdict == Gated::Verdict::kRefuse)
        refusals.Add(remembering ? digest : Refusals::Digest(codec, packet));
    return gated;
}

} // namespace tbx::gate

// The gate's handling of each kind of data, one function a kind; the table in codec_gate.cpp
// says which codec takes which. Internal to the gate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/codec_gate/codec_gate.h"

namespace tbx::gate {

// A packet's bytes, copied at the first change.
class Rewrite {
public:
    explicit Rewrite(const Packet& packet) : _packet(packet) {}
    uint8_t At(std::size_t at) const { return _copy.empty() ? _packet.data[at] : _copy[at]; }
    void Set(std::size_t at, uint8_t value);
    void Put(std::size_t at, const std::vector<uint8_t>& bytes);
    // The packet as it is or the copy, with the work that decoding it takes.
    Gated Done(uint64_t work);

private:
    const Packet& _packet;
    std::vector<uint8_t> _copy;
};

// Words of the packet's bytes, and the pixels of the picture the decoder is told of.
inline uint32_t Le32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
inline uint32_t Be32(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}
inline uint64_t Pixels(const Packet& packet) {
    return uint64_t(packet.width > 0 ? packet.width : 0) *
           uint64_t(packet.height > 0 ? packet.height : 0);
}

// A refusal, reached after `spent` of work (in pixels' worth).
Gated Refused(uint64_t spent = 0);

// The set-up of one decoding handed to a nested decoder, in pixels' worth.
constexpr uint64_t kNestedDecodingWork = 4096;

// JPEG data at [from, from + size) of the packet, as the mjpeg decoder reads it when handed that
// range alone and told a picture `pictureHeight` high: its EXIF hidden in `out`, its work
// (frames up to `maxPixels`) added to `work`, `tallest` raised to its tallest frame. False where
// it is to be refused (too many scans, or EXIF whose reading cannot be told).
bool HideAndChargeJpeg(const Packet& packet, std::size_t from, std::size_t size, uint64_t maxPixels,
                       int pictureHeight, Rewrite& out, uint64_t& work,
                       uint32_t* tallest = nullptr);

Gated MarkedJpeg(const Packet& packet);
Gated MotionJpegB(const Packet& packet);
Gated AmvFrame(const Packet& packet);
Gated TdscFrame(const Packet& packet);
Gated PngImage(const Packet& packet);
Gated TiffImage(const Packet& packet);
Gated WebpImage(const Packet& packet);
Gated ExrImage(const Packet& packet);
Gated FlicFrame(const Packet& packet);
Gated G2mFrame(const Packet& packet);
Gated RascFrame(const Packet& packet);
Gated ArbcFrame(const Packet& packet);

} // namespace tbx::gate

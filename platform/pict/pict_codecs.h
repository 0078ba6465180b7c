// Images compressed for QuickTime by codecs other than JPEG (Animation, Video, Graphics, PNG,
// TIFF, uncompressed and the like), decoded through FFmpeg's decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/codec_gate/codec_gate.h"

namespace tbx::pict {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // opaque ARGB, rows from the top
};

// How the decoder FFmpeg has for a codec (a big-endian four-character code) reads JPEG data:
// not as JPEG, by markers, as Motion-JPEG B, or some other way whose work is not told here.
enum class JpegFraming { None, Markers, MotionB, Other };
JpegFraming CodecJpegFraming(uint32_t codec);

// The codec's data (a big-endian four-character code) as FFmpeg's decoder for it may be handed
// it, with the work decoding it takes (see codec_gate.h).
gate::Gated GateCodecData(uint32_t codec, const gate::Packet& packet);

// The image of an image description (`size` bytes from its size field on, with the colour
// table that indexed images carry after its 86 bytes) and its data. False when FFmpeg has no
// decoder for the codec, the data does not decode, or the image would have more than
// `maxPixels` pixels.
bool DecodeWithCodec(const uint8_t* description, std::size_t size, const uint8_t* data,
                     std::size_t dataSize, std::size_t maxPixels, DecodedImage& image);

} // namespace tbx::pict

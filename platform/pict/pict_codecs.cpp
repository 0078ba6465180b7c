#include "platform/pict/pict_codecs.h"

#include <climits>
#include <cstring>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/frame_scaler.h"

namespace tbx::pict {
namespace {

constexpr std::size_t kDescriptionSize = 86;

unsigned Word(const uint8_t* at) {
    return unsigned(at[0]) << 8 | at[1];
}

// The colours of an indexed image of `bits` bits a pixel: a grey ramp from white for the grey
// depths (32 + bits), else the colour table after the description. False when it has none.
bool Palette(const uint8_t* description, std::size_t size, int depth, uint32_t (&colors)[256]) {
    const int bits = depth > 32 ? depth - 32 : depth;
    const int count = 1 << bits;
    for (uint32_t& c : colors)
        c = 0xFF000000u;
    if (depth > 32) {
        for (int i = 0; i < count; ++i) {
            const uint32_t grey = uint32_t(255 - i * 255 / (count - 1));
            colors[i] = 0xFF000000u | grey << 16 | grey << 8 | grey;
        }
        return true;
    }
    // A colour table id of 0 says that the table follows: seed, flags, last index, entries.
    if (int16_t(Word(description + 84)) != 0 || size < kDescriptionSize + 8)
        return false;
    const uint8_t* table = description + kDescriptionSize;
    const bool byPosition = Word(table + 4) & 0x8000;
    const std::size_t entries = std::size_t(Word(table + 6)) + 1;
    if (entries > 256 || size < kDescriptionSize + 8 + entries * 8)
        return false;
    for (std::size_t i = 0; i < entries; ++i) {
        const uint8_t* e = table + 8 + i * 8;
        colors[byPosition ? i : (Word(e) & 0xFF)] =
            0xFF000000u | uint32_t(e[2]) << 16 | uint32_t(e[4]) << 8 | e[6];
    }
    return true;
}

} // namespace

bool DecodeWithCodec(const uint8_t* description, std::size_t size, const uint8_t* data,
                     std::size_t dataSize, std::size_t maxPixels, DecodedImage& image) {
    if (size < kDescriptionSize || dataSize == 0 || dataSize > INT_MAX / 2)
        return false;
    const unsigned tag = MKTAG(description[4], description[5], description[6], description[7]);
    const AVCodecTag* const tags[] = {avformat_get_mov_video_tags(), nullptr};
    const AVCodec* codec = avcodec_find_decoder(av_codec_get_id(tags, tag));
    const int width = int16_t(Word(description + 32)), height = int16_t(Word(description + 34));
    const int depth = int16_t(Word(description + 82));
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO || width <= 0 || height <= 0 ||
        uint64_t(width) * uint64_t(height) > maxPixels)
        return false;
    movie::CodecPtr context(avcodec_alloc_context3(codec));
    movie::PacketPtr packet(av_packet_alloc());
    movie::FramePtr frame(av_frame_alloc());
    if (!context || !packet || !frame || av_new_packet(packet.get(), int(dataSize)) < 0)
        return false;
    std::memcpy(packet->data, data, dataSize);
    const int bits = depth > 32 ? depth - 32 : depth;
    if (bits == 2 || bits == 4 || bits == 8) {
        uint32_t colors[256];
        uint8_t* side = av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
        if (!Palette(description, size, depth, colors) || !side)
            return false;
        std::memcpy(side, colors, AVPALETTE_SIZE);
    }
    context->width = width;
    context->height = height;
    context->bits_per_coded_sample = depth;
    context->codec_tag = tag;
    context->thread_count = 1;
    context->max_pixels = int64_t(maxPixels);
    if (avcodec_open2(context.get(), codec, nullptr) < 0 ||
        avcodec_send_packet(context.get(), packet.get()) < 0)
        return false;
    avcodec_send_packet(context.get(), nullptr);
    if (avcodec_receive_frame(context.get(), frame.get()) < 0)
        return false;
    const int w = frame->width, h = frame->height;
    if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > maxPixels)
        return false;
    const std::size_t count = std::size_t(w) * std::size_t(h);
    std::vector<uint8_t> argb(count * 4 + kFrameRenderRoom);
    movie::FrameScaler scaler;
    if (!scaler.Scale(frame.get(), movie::Orientation{}, FramePixels::Argb32, argb.data(),
                      argb.size(), w * 4, w, h))
        return false;
    image.width = w;
    image.height = h;
    image.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        image.pixels[i] = 0xFF000000u | uint32_t(argb[4 * i + 1]) << 16 |
                          uint32_t(argb[4 * i + 2]) << 8 | argb[4 * i + 3];
    return true;
}

} // namespace tbx::pict

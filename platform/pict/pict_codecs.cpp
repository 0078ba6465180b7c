#include "platform/pict/pict_codecs.h"

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/frames/frame_scaler.h"

namespace tbx::pict {
namespace {

constexpr std::size_t kDescriptionSize = 86;

// FFmpeg's objects for one image.
struct Decoding {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    ~Decoding() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

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

// FFmpeg's decoder for a codec as QuickTime movies name it.
const AVCodec* Decoder(unsigned tag) {
    const AVCodecTag* const tags[] = {avformat_get_mov_video_tags(), nullptr};
    return avcodec_find_decoder(av_codec_get_id(tags, tag));
}

} // namespace

JpegFraming CodecJpegFraming(uint32_t codec) {
    const AVCodec* decoder =
        Decoder(MKTAG(codec >> 24, (codec >> 16) & 0xFF, (codec >> 8) & 0xFF, codec & 0xFF));
    if (!decoder)
        return JpegFraming::None;
    const std::string_view name = decoder->name;
    if (name == "mjpeg" || name == "jpegls" || name == "smvjpeg")
        return JpegFraming::Markers;
    if (name == "mjpegb")
        return JpegFraming::MotionB;
    // Decoders built on the JPEG one that rebuild or wrap their data first.
    for (const char* other : {"amv", "avrn", "media100", "mxpeg", "sp5x", "thp"})
        if (name == other)
            return JpegFraming::Other;
    return JpegFraming::None;
}

gate::Gated GateCodecData(uint32_t codec, const gate::Packet& packet) {
    const AVCodec* decoder =
        Decoder(MKTAG(codec >> 24, (codec >> 16) & 0xFF, (codec >> 8) & 0xFF, codec & 0xFF));
    return gate::Gate(decoder ? decoder->id : AV_CODEC_ID_NONE, packet);
}

bool DecodeWithCodec(const uint8_t* description, std::size_t size, const uint8_t* data,
                     std::size_t dataSize, std::size_t maxPixels, DecodedImage& image) {
    if (size < kDescriptionSize || dataSize == 0 || dataSize > INT_MAX / 2)
        return false;
    const unsigned tag = MKTAG(description[4], description[5], description[6], description[7]);
    const AVCodec* codec = Decoder(tag);
    const int width = int16_t(Word(description + 32)), height = int16_t(Word(description + 34));
    const int depth = int16_t(Word(description + 82));
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO || width <= 0 || height <= 0 ||
        uint64_t(width) * uint64_t(height) > maxPixels)
        return false;
    // Damaged data is answered by the result; the library's own messages stay quiet.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    Decoding d;
    d.context = avcodec_alloc_context3(codec);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.context || !d.packet || !d.frame || av_new_packet(d.packet, int(dataSize)) < 0)
        return false;
    std::memcpy(d.packet->data, data, dataSize);
    const int bits = depth > 32 ? depth - 32 : depth;
    if (bits == 2 || bits == 4 || bits == 8) {
        uint32_t colors[256];
        uint8_t* side = av_packet_new_side_data(d.packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
        if (!Palette(description, size, depth, colors) || !side)
            return false;
        std::memcpy(side, colors, AVPALETTE_SIZE);
    }
    d.context->width = width;
    d.context->height = height;
    d.context->bits_per_coded_sample = depth;
    d.context->codec_tag = tag;
    d.context->thread_count = 1;
    d.context->max_pixels = int64_t(maxPixels);
    if (avcodec_open2(d.context, codec, nullptr) < 0 ||
        avcodec_send_packet(d.context, d.packet) < 0)
        return false;
    avcodec_send_packet(d.context, nullptr);
    if (avcodec_receive_frame(d.context, d.frame) < 0)
        return false;
    const int w = d.frame->width, h = d.frame->height;
    if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > maxPixels)
        return false;
    // To red, green, blue, as movies' frames are drawn, then to opaque pixels.
    const std::size_t room = std::size_t(w) * std::size_t(h) * 3 + kFrameRenderRoom;
    const auto rgb = std::make_unique_for_overwrite<uint8_t[]>(room);
    frames::FrameScaler scaler;
    if (!scaler.Scale(d.frame, {}, FramePixels::Rgb24, rgb.get(), room, w * 3, w, h))
        return false;
    image.width = w;
    image.height = h;
    image.pixels.resize(std::size_t(w) * std::size_t(h));
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const uint8_t* pixel = rgb.get() + i * 3;
        image.pixels[i] =
            0xFF000000u | uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
    }
    return true;
}

} // namespace tbx::pict

#include "platform/movie/packet_samples.h"

extern "C" {
#include <libavcodec/ac3_parser.h>
#include <libavcodec/vorbis_parser.h>
#include <libavutil/intreadwrite.h>
}

namespace tbx::movie {

namespace {

// Windows Media Audio 1 and 2 without the bit reservoir code one frame a packet; frames are sized
// by the rate. With the reservoir, a packet's frames depend on the one before.
int64_t WmaFrameSamples(const AVCodecParameters* parameters) {
    const bool v1 = parameters->codec_id == AV_CODEC_ID_WMAV1;
    const int flagsAt = v1 ? 2 : 4;
    if (parameters->extradata_size < flagsAt + 2 || (AV_RL16(parameters->extradata + flagsAt) & 2))
        return -1;
    const int rate = parameters->sample_rate;
    if (rate <= 16000)
        return 512;
    if (rate <= 22050 || (v1 && rate <= 32000))
        return 1024;
    return 2048;
}

// An E-AC-3 packet holds sync frames: an independent substream's, with those that depend on it.
// Each independent frame of the first substream (or an AC-3 frame at the core) decodes to 256
// samples a block. -1 where the frames do not fill the packet.
int64_t Eac3Samples(const uint8_t* data, int size) {
    int64_t samples = 0;
    for (int at = 0; at < size;) {
        uint8_t id = 0;
        uint16_t bytes = 0;
        if (size - at < 6 ||
            av_ac3_parse_header(data + at, std::size_t(size - at), &id, &bytes) < 0 || bytes == 0 ||
            bytes > size - at)
            return -1;
        const uint8_t* frame = data + at;
        if (id <= 10) {
            samples += 1536;
        } else if (frame[2] >> 6 != 1 && ((frame[2] >> 3) & 7) == 0) {
            constexpr int kBlocks[] = {1, 2, 3, 6};
            samples += 256 * ((frame[4] >> 6) == 3 ? 6 : kBlocks[(frame[4] >> 4) & 3]);
        }
        at += bytes;
    }
    return samples;
}

} // namespace

void PacketSamples::VorbisParserFree::operator()(AVVorbisParseContext* context) const {
    av_vorbis_parse_free(&context);
}

void PacketSamples::ParserFree::operator()(AVCodecParserContext* context) const {
    av_parser_close(context);
}

PacketSamples::PacketSamples(const AVCodecParameters* parameters) : _parameters(parameters) {
    const AVCodecID id = parameters->codec_id;
    if (id == AV_CODEC_ID_VORBIS) {
        _vorbis.reset(av_vorbis_parse_init(parameters->extradata, parameters->extradata_size));
    } else if (id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2) {
        _wmaFrame = WmaFrameSamples(parameters);
        const int flagsAt = id == AV_CODEC_ID_WMAV1 ? 2 : 4;
        _wmaBlocks = parameters->extradata_size < flagsAt + 2 ||
                     (AV_RL16(parameters->extradata + flagsAt) & 4);
    } else if (IsPcm(id) && av_get_exact_bits_per_sample(id) == 0) {
        // Samples behind a header of their own (a DVD's or a Blu-ray's): the decoder strips it.
        const AVCodec* codec = avcodec_find_decoder(id);
        _context.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
        _frame.reset(av_frame_alloc());
        _decodes = _context && _frame &&
                   avcodec_parameters_to_context(_context.get(), parameters) >= 0 &&
                   avcodec_open2(_context.get(), codec, nullptr) >= 0;
    } else if (id == AV_CODEC_ID_EAC3) {
        _eac3 = true; // the parser gives a frame's samples only with the next frame in view
    } else if (av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(parameters), 0) <= 0) {
        _parser.reset(av_parser_init(id));
        _context.reset(avcodec_alloc_context3(nullptr));
        if (_parser && _context && avcodec_parameters_to_context(_context.get(), parameters) >= 0) {
            _parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
        } else {
            _parser.reset();
            _context.reset();
        }
    }
}

PacketSamples::~PacketSamples() = default;

int64_t PacketSamples::NoiseSteps(const AVPacket* packet) const {
    if (_wmaFrame == 0)
        return 0;
    if (_wmaFrame < 0 || _wmaBlocks || packet->size < 1)
        return -1;
    // A frame of one block opens with its stereo flag (two channels only) and a bit for each
    // channel that it codes; each coded channel takes a value from the table per sample.
    const int channels = _parameters->ch_layout.nb_channels;
    if (channels < 1 || channels > 2)
        return -1;
    const int first = channels == 2 ? 1 : 0;
    int coded = 0;
    for (int c = 0; c < channels; ++c)
        coded += (packet->data[0] >> (7 - first - c)) & 1;
    return coded * _wmaFrame;
}

int64_t PacketSamples::operator()(const AVPacket* packet) {
    if (_vorbis) {
        int flags = 0;
        const int samples =
            av_vorbis_parse_frame_flags(_vorbis.get(), packet->data, packet->size, &flags);
        // Header packets carry no sound.
        return samples >= 0 ? samples : -1;
    }
    if (_wmaFrame != 0)
        return _wmaFrame;
    if (_eac3)
        return Eac3Samples(packet->data, packet->size);
    if (_decodes) {
        int64_t samples = 0;
        if (avcodec_send_packet(_context.get(), packet) < 0)
            return 0;
        while (avcodec_receive_frame(_context.get(), _frame.get()) == 0)
            samples += _frame->nb_samples;
        return samples;
    }
    const int fixed =
        av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(_parameters), packet->size);
    if (fixed > 0)
        return fixed;
    if (!_parser)
        return -1;
    uint8_t* out = nullptr;
    int outSize = 0;
    av_parser_parse2(_parser.get(), _context.get(), &out, &outSize, packet->data, packet->size,
                     packet->pts, packet->dts, packet->pos);
    return outSize == packet->size && _parser->duration > 0 ? _parser->duration : -1;
}

} // namespace tbx::movie

// The samples that a sound packet holds, told from its bytes without decoding it (or, for sound
// stored as samples behind a small header, by the cheap decoding that strips it). Internal to
// the movie stand-in.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/movie/ffmpeg_support.h"

struct AVVorbisParseContext;
struct AVCodecParserContext;

namespace tbx::movie {

class PacketSamples {
public:
    // For packets of a stream with these parameters, read in order from any packet on.
    explicit PacketSamples(const AVCodecParameters* parameters);
    ~PacketSamples();
    PacketSamples(const PacketSamples&) = delete;
    PacketSamples& operator=(const PacketSamples&) = delete;

    // Samples per channel that the packet holds, before what the container marks to skip or
    // discard; -1 where its bytes do not tell.
    int64_t operator()(const AVPacket* packet);

    // Windows Media Audio adds noise from a table that its decoder walks on from frame to frame
    // and never rewinds: how far a packet moves it along, so that a decoder started afresh
    // where a whole decoding stands at the table's start gives that decoding's samples. -1 where
    // the packet's first bits do not tell (frames of several blocks); 0 for other codecs.
    int64_t NoiseSteps(const AVPacket* packet) const;
    // The length of that table.
    static constexpr int64_t kNoiseSteps = 8192;

private:
    struct VorbisParserFree {
        void operator()(AVVorbisParseContext* context) const;
    };
    struct ParserFree {
        void operator()(AVCodecParserContext* context) const;
    };

    const AVCodecParameters* _parameters;
    std::unique_ptr<AVVorbisParseContext, VorbisParserFree> _vorbis;
    std::unique_ptr<AVCodecParserContext, ParserFree> _parser;
    CodecPtr _context; // the parser's, or the decoder of samples behind a header
    FramePtr _frame;
    int64_t _wmaFrame = 0;
    bool _wmaBlocks = false; // frames of several blocks
    bool _decodes = false;   // samples behind a header, counted by decoding
    bool _eac3 = false;
};

} // namespace tbx::movie

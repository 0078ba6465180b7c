// The sound stream of a movie, decoded and resampled in one pass by one long-lived resampler
// into a cache of PCM in the requested form, so that sequential ranges tile exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/movie_types.h"

namespace tbx::movie {

class SoundTrack {
public:
    // Null when the file has no decodable sound stream.
    static std::unique_ptr<SoundTrack> Open(const std::string& path);

    int32_t SourceRate() const { return _rate; }
    int32_t SourceChannels() const { return _channels; }
    // 16 for compressed sources, else the stored sample size.
    int32_t SourceBits() const { return _bits; }
    // Samples per channel in the source. For a file with sound only this is the count that
    // decoding delivers, not the container's estimate (decoded once, on first use).
    int64_t SampleCount() const;
    // The duration in units of `scale`, rounded up.
    int64_t Duration(int32_t scale) const;
    void Describe(SoundDescription& description) const;

    // Chooses the form of later reads (0 fields take the source's values); drops the cache.
    bool SetForm(const PcmForm& form);
    const PcmForm& Form() const { return _form; }
    // Output samples in the chosen form.
    int64_t OutputCount();
    // Appends the output samples [first, end) (held to the output count) to `out`.
    bool Read(int64_t first, int64_t end, std::vector<uint8_t>& out);

private:
    SoundTrack() = default;
    bool _Restart();
    // Decodes one more frame into the cache; false at the end (the resampler is then flushed).
    bool _Produce();
    void _Append(uint8_t* const* planes, int samples);
    int _FrameBytes() const { return _form.channels * _form.bits / 8; }

    std::string _path;
    FormatPtr _format;
    CodecPtr _decoder;
    PacketPtr _packet;
    FramePtr _frame;
    ResamplerPtr _resampler;
    std::vector<uint8_t> _scratch;
    int _index = -1;
    bool _audioOnly = false;
    bool _draining = false;
    bool _ended = false;
    int32_t _rate = 0;
    int32_t _channels = 0;
    int32_t _bits = 16;
    mutable int64_t _sampleCount = -1; // counted on first use
    AVCodecID _codecId = AV_CODEC_ID_NONE;
    uint32_t _codecTag = 0;
    PcmForm _form;
    // What the resampler was made for.
    int _inRate = 0;
    int _inFormat = -1;
    int _inChannels = 0;
    // Output samples [_cacheFirst, _cacheFirst + cache size / frame bytes) are held.
    std::vector<uint8_t> _cache;
    std::size_t _cacheSkip = 0; // bytes at the front already given out and dropped
    int64_t _cacheFirst = 0;
};

} // namespace tbx::movie

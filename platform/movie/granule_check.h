// Whether an Ogg stream's granules agree with the count of its packets' samples, weighed as the
// packets are read: where one page's time leaves where counting puts it, the stream holds a lie
// or a loss, which only an index of every packet tells apart. Keeps the stretches found to agree,
// so that a seek into one need not read a stretch before it again. Internal to the movie
// stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/packet_samples.h"

namespace tbx::movie {

class GranuleCheck {
public:
    // For a stream of these parameters and time base; places are its times in samples.
    GranuleCheck(const AVCodecParameters* parameters, AVRational timeBase);
    ~GranuleCheck();

    // Reading starts again: at the stream's start, or where a seek landed.
    void Restart();
    // Weighs a packet of the stream read next; false where its time leaves the count.
    bool Weigh(const AVPacket* packet);
    // Where the last packet weighed ends by the times; AV_NOPTS_VALUE before the first with a time.
    int64_t End() const { return _end; }
    // Whether the samples [from, to) lie within a stretch found to agree.
    bool Agrees(int64_t from, int64_t to) const;

private:
    void _Keep();

    struct ParametersFree {
        void operator()(AVCodecParameters* parameters) const {
            avcodec_parameters_free(&parameters);
        }
    };

    std::unique_ptr<AVCodecParameters, ParametersFree> _parameters;
    AVRational _timeBase;
    int _rate;
    std::unique_ptr<PacketSamples> _samples;
    int64_t _landed = -1; // the page read first, whose times are estimates
    bool _counting = true;
    int64_t _counted = 0;
    int64_t _longest = 0;
    int64_t _base = AV_NOPTS_VALUE; // how far times lie from the count
    int64_t _end = AV_NOPTS_VALUE;
    std::pair<int64_t, int64_t> _stretch{0, 0}; // agreeing since the last start
    std::vector<std::pair<int64_t, int64_t>> _kept;
};

} // namespace tbx::movie

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
    // For stream `stream` of a file, of these parameters and time base; places are its times in
    // samples.
    GranuleCheck(const AVCodecParameters* parameters, AVRational timeBase, int stream);
    ~GranuleCheck();

    // Reading starts again: at the stream's start, or where a seek landed.
    void Restart();
    // Weighs a packet of the stream read next; false where its time leaves the count.
    bool Weigh(const AVPacket* packet);
    // Where the last packet weighed ends by the times; AV_NOPTS_VALUE before the first with a time.
    int64_t End() const { return _end; }
    // Reads the stream's pages from where `io` stands (at a page's start, or a little before
    // one), without its demuxer, and weighs each page's granule, until one reaches `until`.
    // `restart` receives the place in the file of the last page whose granule lies at or before
    // `start` (or where reading began). False where a granule leaves the count.
    bool WeighPages(AVIOContext* io, int64_t until, int64_t start, int64_t& restart);
    // Whether the samples [from, to) lie within a stretch found to agree.
    bool Agrees(int64_t from, int64_t to) const;

private:
    void _Keep();
    // Whether a time agrees with the count of the samples before it, as the times before it did.
    bool _Agrees(int64_t time);
    // Finds the number that the stream's pages carry; false where the file does not tell it.
    bool _FindSerial(AVIOContext* io);

    ParametersPtr _parameters; // the stream's, which outlive its context
    AVRational _timeBase;
    int _rate;
    int _stream;
    int64_t _serial = -1;
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

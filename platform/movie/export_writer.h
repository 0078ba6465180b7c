// The muxing and encoding under the movie exporters: a movie's frames and sound, encoded as a
// plan says, into a container written through a sink. Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/movie.h"
#include "platform/movie/movie_export.h"

namespace tbx::movie {

// Values that the encoders accept: the exporter brings the settings into their range.
struct VideoPlan {
    const AVCodec* encoder = nullptr;
    AVPixelFormat pixels = AV_PIX_FMT_NONE;
    int32_t width = 0;
    int32_t height = 0;
    AVRational rate{0, 1}; // frames per second, the denominator at most 65535
    int gop = 0;         // at most this many frames from one key frame to the next; 0: the codec's
    int32_t quality = 0; // 0 … 1023
};

struct SoundPlan {
    AVCodecID codec = AV_CODEC_ID_NONE; // a PCM codec that takes 16-bit samples
    int32_t rate = 0;
    int32_t channels = 0;
};

struct ExportPlan {
    const char* muxer = nullptr;
    bool video = false;
    bool sound = false;
    VideoPlan picture;
    SoundPlan audio;
};

// Told the fraction done after each step; a non-zero answer stops the export with it.
using ExportReport = std::function<OSErr(double fraction)>;

// Writes [start, end) of `source`, times in its time scale, into the sink: frame i shows the
// movie at start + i / rate seconds, and there are as many frames as cover the range. Sets the
// source's sound form. ioErr when the sink refuses bytes, noCodecErr when an encoder will not
// open.
OSErr WriteExport(const ExportPlan& plan, Movie& source, int64_t start, int64_t end,
                  ExportSink& sink, const ExportReport& report);

} // namespace tbx::movie

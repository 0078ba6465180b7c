// A movie's pictures reach FFmpeg's decoders only through the codec gate: each packet before
// it is decoded, and the first picture that FFmpeg would decode unguarded while it reads a
// file's streams ahead. Internal to the movie stand-in.
#pragma once

#include <string>

#include "platform/movie/ffmpeg_support.h"

namespace tbx::movie {

// The decoders that FFmpeg may open to read a file's streams ahead, as a format context's
// codec whitelist: all but the watched codecs', so that what those would read is never decoded
// there unguarded.
const char* ProbingDecoders();

// Describes each watched picture stream as its first picture decoded through the gate does:
// its size where the container states none, its pixel format and shape. A stream whose first
// pictures are refused or do not decode is left as it is.
void DescribeWatchedStreams(AVFormatContext* format, const std::string& path);

// The packet as the decoder may be handed it: untouched, or holding the gate's copy (kTake).
// kPass when the gate refuses it or its work goes past a frame's budget: it is not to be
// decoded. kStop once the work that `budget` allows for finding a frame is spent.
Taken GatePacket(const AVCodecContext* decoder, AVPacket* packet, ReadBudget* budget);

// Bounds the gating work that reading `format` may take before its next frame of a stream of
// `width` × `height` pixels: a frame of any size the decoder allows, after no more than a few
// packets' worth of refusals and failures. Unbound lifts it.
void BoundFirstPicture(AVFormatContext* format, int width, int height);
void Unbound(AVFormatContext* format);

} // namespace tbx::movie

// Values of the movie stand-in: times, the descriptions of the sound and picture streams and
// the PCM forms it delivers.
#pragma once

#include <cstdint>

#include "platform/frames/frame_pixels.h"
#include "platform/types.h"

namespace tbx {

// Movie times are counted in units of the movie's time scale (units per second).
using TimeValue = SInt32;
using TimeScale = SInt32;

// The default time scale of an opened movie.
constexpr TimeScale kMovieDefaultTimeScale = 600;

// Facts about the sound stream. The rate is in hertz as a double: 16.16 fixed cannot hold
// 88.2 or 96 kHz.
struct SoundDescription {
    OSType dataFormat = 0;
    SInt16 numChannels = 0;
    SInt16 sampleSize = 0;
    double sampleRate = 0;
    char name[64] = {}; // the decoder's name of the format; empty when it has none
};

// Facts about the picture stream. Depth 24, 32 with alpha, or 32 + bits for grey.
struct ImageDescription {
    OSType cType = 0;
    SInt16 width = 0;
    SInt16 height = 0;
    SInt16 depth = 0;
    unsigned char name[32] = {}; // length-prefixed, at most 31 characters
};

// A PCM form: whole hertz, 8 (signed), 16, 24 or 32 bits, any channel count, byte order.
struct PcmForm {
    SInt32 rate = 0;
    SInt32 bits = 16;
    SInt32 channels = 0;
    bool bigEndian = false;
};

// 'twos' is big-endian signed PCM, 'sowt' little-endian.
constexpr OSType kSoundFormatTwos = FourCC("twos");
constexpr OSType kSoundFormatSowt = FourCC("sowt");

} // namespace tbx

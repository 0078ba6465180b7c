// The settings of a movie exporter and their atom-container layout: the video settings under
// 'vide' (spatial 'sptl': compressor type, compressor, depth and quality as four big-endian
// words; temporal 'tprl': temporal quality, frame rate as 16.16 and key-frame rate; 'wdth' and
// 'hegt' as 16.16), and whether sound is exported in the top-level 'enso' (one byte).
#pragma once

#include "platform/movie/atom_container.h"

namespace tbx {

// Quality levels of a compressor's settings, 0 to 1023.
enum : SInt32 {
    codecMinQuality = 0,
    codecLowQuality = 0x100,
    codecNormalQuality = 0x200,
    codecHighQuality = 0x300,
    codecMaxQuality = 0x3FF,
};

// What the settings dialog of a movie exporter shows. A size or rate of 0 is the movie's own.
struct MovieExportSettings {
    OSType codec =
        0; // the compressor's type ('avc1', 'mp4v', 'jpeg', 'png ', 'raw '); 0: the first
    SInt32 width = 0;
    SInt32 height = 0;
    double frameRate = 0;
    SInt32 keyFrameRate = 0; // a key frame at least every this many frames; 0: the codec's choice
    SInt32 quality = codecNormalQuality;
    bool sound = true;
};

// Takes what the settings atoms hold over `settings`; fields they lack (or hold cut short) stay
// as they were.
void ReadMovieExportSettings(QTAtomNode& root, MovieExportSettings& settings);
// Replaces the settings atoms of `root`, keeping its other atoms.
void WriteMovieExportSettings(const MovieExportSettings& settings, QTAtomNode& root);

// Takes what the container holds over `settings`; fields it lacks (or holds cut short) stay as
// they were. False for a null or damaged container.
bool ReadMovieExportSettings(QTAtomContainer container, MovieExportSettings& settings);
// Writes the settings into the container, keeping its other atoms; false when it cannot be read
// or resized.
bool WriteMovieExportSettings(const MovieExportSettings& settings, QTAtomContainer container);

} // namespace tbx

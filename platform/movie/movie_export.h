// Movie exporters: an exporter component's settings (as an atom container), the compressors
// it offers, the sample form of the sound exporters, and the export itself. The bytes of an
// export go to a sink that the caller provides, so that the caller decides how a file takes
// its place; the export reports its progress to the movie's progress procedure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/movie/components.h"
#include "platform/movie/export_settings.h"
#include "platform/movie/movie.h"

namespace tbx {

// Where the bytes of an export go: appended in order, and patched at offsets written before.
class ExportSink {
public:
    virtual ~ExportSink() = default;
    virtual bool Write(const uint8_t* bytes, std::size_t size) = 0;
    // False when the range reaches past the bytes written.
    virtual bool WriteAt(uint64_t offset, const uint8_t* bytes, std::size_t size) = 0;
    virtual uint64_t Size() const = 0;
};

enum : SInt16 {
    movieProgressOpen = 0,
    movieProgressUpdatePercent = 1,
    movieProgressClose = 2,
    progressOpExportMovie = 12,
};

enum : ComponentResult {
    invalidMovie = -2010,
    noCodecErr = -8961,
};

// A compressor that a movie exporter offers: its type (as in the settings) and its name.
struct MovieExportCodec {
    OSType type = 0;
    std::string name;
};

// The movie's progress procedure, called by exports; null for none.
void SetMovieProgressProc(Movie* movie, MovieProgressProcPtr proc, void* refCon);
// The procedure and its reference in force.
MovieProgressProcPtr GetMovieProgressProc(Movie* movie, void** refCon);

// A new container with the exporter's settings, owned by the caller (DisposeHandle).
ComponentResult MovieExportGetSettingsAsAtomContainer(ComponentInstance exporter,
                                                      QTAtomContainer* settings);
// Takes the settings; paramErr, keeping the old ones, for a container that cannot be read.
// Values out of the encoder's range are brought into it when the export runs.
ComponentResult MovieExportSetSettingsFromAtomContainer(ComponentInstance exporter,
                                                        QTAtomContainer settings);
// The compressors of a movie exporter, in the order its settings dialog offers them; none for
// a sound exporter.
ComponentResult MovieExportGetCodecs(ComponentInstance exporter,
                                     std::vector<MovieExportCodec>& codecs);
// The form of a sound exporter's samples (media type 'soun'): rate and channels, 0 for the
// movie's own, and 16-bit samples.
ComponentResult MovieExportSetSampleDescription(ComponentInstance exporter,
                                                const SoundDescription* description,
                                                OSType mediaType);
// Exports [start, start + duration) of the movie into the sink, reporting to the movie's
// progress procedure: movieProgressOpen, updates with the fraction done (the last one 1.0),
// movieProgressClose. A non-zero answer stops the export with that result. The movie keeps
// its time, sound form and decoding place.
ComponentResult MovieExportToSink(ComponentInstance exporter, ExportSink& sink, Movie* movie,
                                  TimeValue start, TimeValue duration);

} // namespace tbx

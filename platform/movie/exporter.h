// One open movie exporter: its settings, kept as the atoms of its settings container, the
// compressors it offers, its sound form, and the planning of an export within what the
// encoders accept. Internal to the movie stand-in.
#pragma once

#include <vector>

#include "platform/movie/export_writer.h"
#include "platform/movie/movie_export.h"

namespace tbx::movie {

enum class ExportKind { QuickTime, Avi, Aiff, Wave, MuLaw };

// A compressor as an exporter offers it.
struct ExportCodec {
    OSType type;
    const char* name;
    const char* encoder; // FFmpeg's name of the encoder
};

class Exporter {
public:
    explicit Exporter(ExportKind kind);

    // The compressors of the container whose encoders this build of FFmpeg has.
    const std::vector<const ExportCodec*>& Codecs() const { return _codecs; }
    QTAtomNode& Settings() { return _settings; }
    // Rate and channels of a sound exporter's samples; 0 keeps the movie's.
    void SetSoundForm(int32_t rate, int32_t channels) {
        _soundRate = rate;
        _soundChannels = channels;
    }
    bool ExportsPictures() const {
        return _kind == ExportKind::QuickTime || _kind == ExportKind::Avi;
    }

    // Exports [start, start + duration) of the movie (a copy of it, so that the movie keeps
    // its place) into the sink, reporting through the movie's progress procedure.
    OSErr Export(Movie& movie, TimeValue start, TimeValue duration, ExportSink& sink);

private:
    // The plan for `source` that the settings ask for, brought within the encoders' ranges.
    OSErr _Plan(Movie& source, ExportPlan& plan);
    OSErr _PlanPicture(Movie& source, const MovieExportSettings& settings, VideoPlan& plan);

    ExportKind _kind;
    std::vector<const ExportCodec*> _codecs;
    QTAtomNode _settings;
    int32_t _soundRate = 0;
    int32_t _soundChannels = 0;
};

// The exporter of an open component instance; null when the instance is not open.
Exporter* ExporterOf(ComponentInstance instance);

} // namespace tbx::movie

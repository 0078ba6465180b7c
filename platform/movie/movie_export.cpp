#include "platform/movie/movie_export.h"

#include "platform/memory.h"
#include "platform/movie/exporter.h"

namespace tbx {

void SetMovieProgressProc(Movie* movie, MovieProgressProcPtr proc, void* refCon) {
    if (movie)
        movie->SetProgressProc(proc, refCon);
}

MovieProgressProcPtr GetMovieProgressProc(Movie* movie, void** refCon) {
    if (refCon)
        *refCon = movie ? movie->GetProgressRefCon() : nullptr;
    return movie ? movie->GetProgressProc() : nullptr;
}

ComponentResult MovieExportGetSettingsAsAtomContainer(ComponentInstance exporter,
                                                      QTAtomContainer* settings) {
    movie::Exporter* entry = movie::ExporterOf(exporter);
    if (!entry)
        return badComponentInstance;
    if (!settings)
        return paramErr;
    *settings = NewAtomContainer(entry->Settings());
    return *settings ? noErr : memFullErr;
}

ComponentResult MovieExportSetSettingsFromAtomContainer(ComponentInstance exporter,
                                                        QTAtomContainer settings) {
    movie::Exporter* entry = movie::ExporterOf(exporter);
    if (!entry)
        return badComponentInstance;
    QTAtomNode root;
    if (!ReadAtomContainer(settings, root))
        return paramErr;
    entry->Settings() = std::move(root);
    return noErr;
}

ComponentResult MovieExportGetCodecs(ComponentInstance exporter,
                                     std::vector<MovieExportCodec>& codecs) {
    movie::Exporter* entry = movie::ExporterOf(exporter);
    if (!entry)
        return badComponentInstance;
    codecs.clear();
    for (const movie::ExportCodec* codec : entry->Codecs())
        codecs.push_back(MovieExportCodec{codec->type, codec->name});
    return noErr;
}

ComponentResult MovieExportSetSampleDescription(ComponentInstance exporter,
                                                const SoundDescription* description,
                                                OSType mediaType) {
    movie::Exporter* entry = movie::ExporterOf(exporter);
    if (!entry)
        return badComponentInstance;
    if (!description || mediaType != FourCC("soun") || entry->ExportsPictures() ||
        (description->sampleSize != 0 && description->sampleSize != 16) ||
        !(description->sampleRate >= 0 && description->sampleRate <= 768000) ||
        description->numChannels < 0 || description->numChannels > 16)
        return paramErr;
    entry->SetSoundForm(int32_t(description->sampleRate), description->numChannels);
    return noErr;
}

ComponentResult MovieExportToSink(ComponentInstance exporter, ExportSink& sink, Movie* movie,
                                  TimeValue start, TimeValue duration) {
    movie::Exporter* entry = movie::ExporterOf(exporter);
    if (!entry)
        return badComponentInstance;
    if (!movie)
        return invalidMovie;
    return entry->Export(*movie, start, duration, sink);
}

} // namespace tbx

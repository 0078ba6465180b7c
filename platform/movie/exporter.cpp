#include "platform/movie/exporter.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace tbx::movie {

namespace {

constexpr ExportCodec kQuickTimeCodecs[] = {
    {FourCC("avc1"), "H.264", "libx264"},     {FourCC("mp4v"), "MPEG-4 Video", "mpeg4"},
    {FourCC("jpeg"), "Motion JPEG", "mjpeg"}, {FourCC("png "), "PNG", "png"},
    {FourCC("raw "), "None", "rawvideo"},
};
constexpr ExportCodec kAviCodecs[] = {
    {FourCC("mp4v"), "MPEG-4 Video", "mpeg4"},
    {FourCC("jpeg"), "Motion JPEG", "mjpeg"},
    {FourCC("raw "), "None", "rawvideo"},
};

// Frame sizes and rates that every offered encoder takes.
constexpr int32_t kMinSide = 16;
constexpr int32_t kMaxSide = 4096;
constexpr double kMinRate = 1;
constexpr double kMaxRate = 120;
constexpr double kDefaultRate = 15;
constexpr int kMaxGop = 600;
// MPEG-4 part 2 counts time in units of at most 16 bits.
constexpr int kMaxRateTerm = 65535;
// Export times are counted in at least this many units per second.
constexpr int64_t kMinExportScale = 1000;
// Sound files keep their sizes in 32 bits.
constexpr int64_t kMaxSoundFileBytes = 0xFFFFFFFFll - (1 << 16);

bool Present(const ExportCodec& codec) {
    return avcodec_find_encoder_by_name(codec.encoder) != nullptr;
}

int32_t Side(int32_t wanted, int32_t own, int align) {
    const int32_t side = std::clamp(wanted > 0 ? wanted : own, kMinSide, kMaxSide);
    return side / align * align;
}

} // namespace

Exporter::Exporter(ExportKind kind) : _kind(kind) {
    auto offer = [this](const auto& table) {
        for (const ExportCodec& codec : table)
            if (Present(codec))
                _codecs.push_back(&codec);
    };
    if (kind == ExportKind::QuickTime)
        offer(kQuickTimeCodecs);
    else if (kind == ExportKind::Avi)
        offer(kAviCodecs);
    MovieExportSettings defaults;
    defaults.codec = _codecs.empty() ? 0 : _codecs.front()->type;
    WriteMovieExportSettings(defaults, _settings);
}

OSErr Exporter::_PlanPicture(Movie& source, const MovieExportSettings& settings, VideoPlan& plan) {
    const ExportCodec* codec = nullptr;
    for (const ExportCodec* offered : _codecs)
        if (offered->type == settings.codec)
            codec = offered;
    plan.encoder = codec ? avcodec_find_encoder_by_name(codec->encoder) : nullptr;
    if (!plan.encoder)
        return noCodecErr;
    if (plan.encoder->id == AV_CODEC_ID_RAWVIDEO)
        plan.pixels = _kind == ExportKind::Avi ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_RGB24;
    else if (plan.encoder->id == AV_CODEC_ID_PNG || !plan.encoder->pix_fmts)
        plan.pixels = AV_PIX_FMT_RGB24;
    else
        plan.pixels = plan.encoder->pix_fmts[0];
    // Subsampled colour needs sizes in whole chroma samples.
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(plan.pixels);
    int32_t width = 0, height = 0;
    source.GetNaturalSize(width, height);
    plan.width = Side(settings.width, width, 1 << pixels->log2_chroma_w);
    plan.height = Side(settings.height, height, 1 << pixels->log2_chroma_h);
    double rate = settings.frameRate > 0 ? settings.frameRate : source.AverageFrameRate();
    if (!std::isfinite(rate) || rate <= 0)
        rate = kDefaultRate;
    plan.rate = av_d2q(std::clamp(rate, kMinRate, kMaxRate), kMaxRateTerm);
    plan.gop = std::clamp(settings.keyFrameRate, 0, kMaxGop);
    plan.quality = std::clamp<int32_t>(settings.quality, codecMinQuality, codecMaxQuality);
    return noErr;
}

OSErr Exporter::_Plan(Movie& source, ExportPlan& plan) {
    MovieExportSettings settings;
    ReadMovieExportSettings(_settings, settings);
    SoundDescription sound;
    const bool hasSound = source.GetSoundDescription(sound);
    plan.audio.rate = int32_t(std::clamp(std::lround(sound.sampleRate), 1L, 768000L));
    plan.audio.channels = std::clamp<int32_t>(sound.numChannels, 1, 16);
    switch (_kind) {
    case ExportKind::QuickTime:
    case ExportKind::Avi: {
        plan.muxer = _kind == ExportKind::Avi ? "avi" : "mov";
        plan.audio.codec = _kind == ExportKind::Avi ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_S16BE;
        VideoPlan picture;
        // The compressor is checked whether or not the movie has pictures.
        if (OSErr error = _PlanPicture(source, settings, picture))
            return error;
        plan.video = source.HasVideo();
        plan.picture = picture;
        plan.sound = hasSound && settings.sound;
        return plan.video || plan.sound ? noErr : paramErr;
    }
    case ExportKind::Aiff:
    case ExportKind::Wave:
    case ExportKind::MuLaw:
        plan.muxer = _kind == ExportKind::Aiff ? "aiff" : _kind == ExportKind::Wave ? "wav" : "au";
        plan.audio.codec = _kind == ExportKind::Aiff   ? AV_CODEC_ID_PCM_S16BE
                           : _kind == ExportKind::Wave ? AV_CODEC_ID_PCM_S16LE
                                                       : AV_CODEC_ID_PCM_MULAW;
        if (_soundRate > 0)
            plan.audio.rate = _soundRate;
        if (_soundChannels > 0)
            plan.audio.channels = _soundChannels;
        plan.sound = hasSound;
        return hasSound ? noErr : paramErr;
    }
    return paramErr;
}

OSErr Exporter::Export(Movie& movie, TimeValue start, TimeValue duration, ExportSink& sink) {
    if (start < 0 || duration <= 0)
        return paramErr;
    std::unique_ptr<Movie> source = Movie::Open(movie.GetPath());
    if (!source)
        return invalidMovie;
    ExportPlan plan;
    if (OSErr error = _Plan(*source, plan))
        return error;
    // A scale on which every frame begins at a whole unit.
    const int64_t scale = movie.GetTimeScale();
    int64_t fine = scale;
    if (plan.video) {
        const int64_t num = plan.picture.rate.num;
        fine = num * ((kMinExportScale + num - 1) / num);
    }
    source->SetTimeScale(TimeScale(fine));
    const int64_t from = av_rescale(start, fine, scale);
    const int64_t to = std::max(from + 1, av_rescale(int64_t(start) + duration, fine, scale));
    if (to > INT32_MAX)
        return paramErr;
    if (!ExportsPictures() &&
        av_rescale(to - from, int64_t(plan.audio.rate) * plan.audio.channels * 2, fine) >
            kMaxSoundFileBytes)
        return paramErr;
    const MovieProgressProcPtr progress = movie.GetProgressProc();
    void* refCon = movie.GetProgressRefCon();
    auto report = [&](SInt16 message, double fraction) -> OSErr {
        return progress ? progress(&movie, message, progressOpExportMovie,
                                   SInt32(std::lround(fraction * 65536.0)), refCon)
                        : OSErr(noErr);
    };
    if (OSErr error = report(movieProgressOpen, 0))
        return error;
    const OSErr result = WriteExport(plan, *source, from, to, sink, [&](double fraction) {
        return report(movieProgressUpdatePercent, fraction);
    });
    report(movieProgressClose, 1.0);
    return result;
}

} // namespace tbx::movie

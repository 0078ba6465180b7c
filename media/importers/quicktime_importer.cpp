#include "media/importers/quicktime_importer.h"

#include <algorithm>
#include <cmath>

bool CBK_MediaImporterQuickTime::Init(CBK_Path& path) {
    return _OpenMovie(m_Movie, path);
}

bool CBK_MediaImporterQuickTime::CanOpen(CBK_Path& path) {
    CBK_QuicktimeMovie scratch;
    return scratch.Open(path);
}

CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION
BK_SowtRequest(const CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION& description) {
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION request = description;
    request.m_nFormat = tbx::kSoundFormatSowt;
    return request;
}

bool CBK_MediaImporterQuickTime::SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description,
                                                           CBK_ProgressDialog*) {
    m_ExportDescription = description;
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION request = BK_SowtRequest(description);
    return m_Movie.SetSoundExportDescription(request);
}

bool CBK_MediaImporterQuickTime::GetImageDescription(IMAGE_DESCRIPTION& out) {
    tbx::ImageDescription description;
    if (!m_Movie.GetImageDescription(description))
        return false;
    const uint32_t duration = uint32_t(GetTotalSamples());
    const uint32_t scale = uint32_t(GetTimeScale());
    const double seconds = scale ? double(duration) / scale : 0.0;
    out.m_nDuration = uint32_t(std::clamp(seconds * 1000.0, 0.0, 4294967295.0));
    out.m_dFrameRate = m_Movie.ComputeAverageFrameRate();
    if (out.m_dFrameRate == 0.0 && seconds > 0) {
        // No rate from the stream: count its samples over the duration.
        tbx::Movie* movie = m_Movie.GetMovie();
        const int64_t samples = movie ? movie->CountVideoSamples() : 0;
        out.m_dFrameRate = samples > 1 ? double(samples) / seconds : 0.0;
    }
    out.m_nWidth = description.width;
    out.m_nHeight = description.height;
    out.m_nDepth = description.depth >= 33 ? description.depth - 32 : description.depth;
    out.m_strCodecName.assign(description.name + 1, description.name + 1 + description.name[0]);
    return true;
}

bool BK_DescribeSound(CBK_QuicktimeMovie& movie, CBK_MediaImporter::SOUND_DESCRIPTION& out) {
    tbx::SoundDescription description;
    if (!movie.GetSoundDescription(description))
        return false;
    const int32_t scale = movie.GetTimeScale();
    const double seconds = scale > 0 ? double(movie.GetTotalSamples()) / scale : 0.0;
    out.m_nDuration = uint32_t(std::clamp(seconds * 1000.0, 0.0, 4294967295.0));
    out.m_dRate = std::floor(description.sampleRate) / 1000.0;
    out.m_nSampleSize = description.sampleSize;
    out.m_nChannels = description.numChannels;
    wchar_t name[32];
    movie.GetSoundCodecString(name);
    out.m_strCompressionName = name;
    return true;
}

bool CBK_MediaImporterQuickTime::GetSoundDescription(SOUND_DESCRIPTION& description) {
    return BK_DescribeSound(m_Movie, description);
}

// CBK_MediaImporterQuickTime: reads any movie, sound or picture file that the movie reader
// opens.
#pragma once

#include "media/importers/media_importer.h"
#include "media/movie/quicktime_movie.h"

class CBK_MediaImporterQuickTime : public CBK_MediaImporter {
public:
    CBK_MediaImporterQuickTime() { m_nKind = 3; }

    bool Init(CBK_Path& path) override;
    CBK_MediaImporter* MakeCopy() override { return new CBK_MediaImporterQuickTime; }
    void GetSize(int32_t& width, int32_t& height) override { m_Movie.GetSize(width, height); }
    void SetSize(int32_t width, int32_t height) override { m_Movie.SetSize(width, height); }
    bool CanOpen(CBK_Path& path) override;
    bool HasVideo() override { return m_Movie.HasVideo(); }
    bool HasAudio() override { return m_Movie.HasAudio(); }
    int32_t GetTotalSamples() override { return m_Movie.GetTotalSamples(); }
    void SetTimeScale(int32_t scale) override { m_Movie.SetTimeScale(scale); }
    int32_t GetTimeScale() override { return m_Movie.GetTimeScale(); }
    void SetTimeValue(int32_t value) override { m_Movie.SetTimeValue(value); }
    int32_t GetTimeValue() override { return m_Movie.GetTimeValue(); }
    uint32_t GetDurationMsec() override { return _ToMsec(GetTotalSamples(), GetTimeScale()); }
    bool GetRgbFrame(uint32_t, uint8_t*, tbx::Rect*, int32_t) override { return false; }
    bool GetRgbFrame(uint32_t time, CBK_Image& image, tbx::Rect* crop,
                     int32_t bitsPerPixel) override {
        return m_Movie.GetRgbFrameImage(time, image, crop, bitsPerPixel);
    }
    bool SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description,
                                   CBK_ProgressDialog* dialog) override;
    bool GetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description) override {
        description = m_ExportDescription;
        return true;
    }
    uint8_t* GetSoundSamples(uint32_t start, int32_t duration, uint32_t& bytes,
                             uint32_t* next) override {
        return m_Movie.GetAudioSamples(start, duration, bytes, next);
    }
    bool GetImageDescription(IMAGE_DESCRIPTION& description) override;
    bool GetSoundDescription(SOUND_DESCRIPTION& description) override;

protected:
    SOUND_EXPORT_DESCRIPTION m_ExportDescription;
    CBK_QuicktimeMovie m_Movie;
};

// The sound description shared by both importers.
bool BK_DescribeSound(CBK_QuicktimeMovie& movie, CBK_MediaImporter::SOUND_DESCRIPTION& out);
// The request made of a caller's description: its rate, bits and channels as 'sowt'.
CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION
BK_SowtRequest(const CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION& description);

// CBK_MediaImporterQuickTimeMp3: reads MP3 files. Before delivering sound it decodes the
// whole file once into a temporary AIFF file of its own and reads the PCM from that.
#pragma once

#include "media/importers/media_importer.h"
#include "media/movie/quicktime_movie.h"

class CBK_MediaImporterQuickTimeMp3 : public CBK_MediaImporter {
public:
    CBK_MediaImporterQuickTimeMp3() { m_nKind = 4; }
    // Closes the decoded file and deletes it when this importer made it.
    ~CBK_MediaImporterQuickTimeMp3() override;

    bool Init(CBK_Path& path) override;
    CBK_MediaImporter* MakeCopy() override { return new CBK_MediaImporterQuickTimeMp3; }
    void GetSize(int32_t& width, int32_t& height) override { width = height = 0; }
    void SetSize(int32_t, int32_t) override {}
    bool CanOpen(CBK_Path& path) override;
    bool HasVideo() override { return false; }
    bool HasAudio() override { return m_Source2.HasAudio(); }
    int32_t GetTotalSamples() override { return m_Source2.GetTotalSamples(); }
    // Both movies: sound requests are answered by the decoded one, in the scale in force.
    void SetTimeScale(int32_t scale) override {
        m_Source2.SetTimeScale(scale);
        m_Decoded.SetTimeScale(scale);
    }
    int32_t GetTimeScale() override { return m_Source2.GetTimeScale(); }
    void SetTimeValue(int32_t value) override { m_Source2.SetTimeValue(value); }
    int32_t GetTimeValue() override { return m_Source2.GetTimeValue(); }
    uint32_t GetDurationMsec() override { return _ToMsec(GetTotalSamples(), GetTimeScale()); }
    bool GetRgbFrame(uint32_t, uint8_t*, tbx::Rect*, int32_t) override { return false; }
    bool GetRgbFrame(uint32_t, CBK_Image&, tbx::Rect*, int32_t) override { return false; }
    bool SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description,
                                   CBK_ProgressDialog* dialog) override;
    bool GetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description) override {
        description = m_ExportDescription;
        return true;
    }
    uint8_t* GetSoundSamples(uint32_t start, int32_t duration, uint32_t& bytes,
                             uint32_t* next) override {
        return m_Decoded.GetAudioSamples(start, duration, bytes, next);
    }
    bool GetImageDescription(IMAGE_DESCRIPTION&) override { return false; }
    bool GetSoundDescription(SOUND_DESCRIPTION& description) override;

    // The decoded file while this importer holds one; empty otherwise.
    const CBK_Path& GetDecodedPath() const { return m_Temporary; }

private:
    void _DropDecoded();

    SOUND_EXPORT_DESCRIPTION m_ExportDescription;
    CBK_QuicktimeMovie m_Source2; // the MP3 itself
    CBK_QuicktimeMovie m_Decoded; // the AIFF decoded from it
    CBK_Path m_Temporary;
};

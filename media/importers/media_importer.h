// CBK_MediaImporter: the base of every reader of source files: size, time scale, duration,
// frames as images at a media time and sound as PCM in a requested form.
#pragma once

#include <cstdint>
#include <string>

#include "core/paths/path.h"
#include "media/movie/sound_export_description.h"
#include "platform/types.h"

class CBK_Image;
class CBK_ProgressDialog;

class CBK_MediaImporter {
public:
    using SOUND_EXPORT_DESCRIPTION = BK_SOUND_EXPORT_DESCRIPTION;
    struct IMAGE_DESCRIPTION {
        uint32_t m_nDuration = 0; // milliseconds
        int32_t m_nWidth = 0;
        int32_t m_nHeight = 0;
        int32_t m_nDepth = 0;
        double m_dFrameRate = 0;
        std::wstring m_strCodecName; // at most 31 characters
    };
    struct SOUND_DESCRIPTION {
        uint32_t m_nDuration = 0; // milliseconds
        double m_dRate = 0;       // kHz
        int32_t m_nSampleSize = 0;
        int32_t m_nChannels = 0;
        std::wstring m_strCompressionName;
    };

    CBK_MediaImporter() = default;
    virtual ~CBK_MediaImporter() = default;
    CBK_MediaImporter(const CBK_MediaImporter&) = delete;
    CBK_MediaImporter& operator=(const CBK_MediaImporter&) = delete;

    virtual bool Init(CBK_Path& path) = 0;
    virtual CBK_MediaImporter* MakeCopy() = 0;
    virtual void GetSize(int32_t& width, int32_t& height) = 0;
    virtual void SetSize(int32_t width, int32_t height) = 0;
    virtual bool CanOpen(CBK_Path& path) = 0;
    virtual bool HasVideo() = 0;
    virtual bool HasAudio() = 0;
    virtual int32_t GetTotalSamples() = 0;
    virtual void SetTimeScale(int32_t scale) = 0;
    virtual int32_t GetTimeScale() = 0;
    virtual void SetTimeValue(int32_t value) = 0;
    virtual int32_t GetTimeValue() = 0;
    // truncate(msec / 1000 × time scale).
    virtual int32_t ConvertMsecToTimeValue(uint32_t msec);
    // value / time scale × 1000, held to 0 … 4294967295; 0 for a time scale of 0.
    virtual uint32_t ConvertTimeValueToMsec(int32_t value);
    virtual uint32_t GetDurationMsec() = 0;
    virtual bool GetRgbFrame(uint32_t time, uint8_t* buffer, tbx::Rect* crop,
                             int32_t bitsPerPixel) = 0;
    virtual bool GetRgbFrame(uint32_t time, CBK_Image& image, tbx::Rect* crop,
                             int32_t bitsPerPixel) = 0;
    virtual bool SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description,
                                           CBK_ProgressDialog* dialog) = 0;
    virtual bool GetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description) = 0;
    // A new array owned by the caller, or null.
    virtual uint8_t* GetSoundSamples(uint32_t start, int32_t duration, uint32_t& bytes,
                                     uint32_t* next) = 0;
    virtual bool GetImageDescription(IMAGE_DESCRIPTION& description) = 0;
    virtual bool GetSoundDescription(SOUND_DESCRIPTION& description) = 0;

    // The whole source file in a new array owned by the caller; null, size unchanged, when
    // it cannot be read.
    uint8_t* GetRawData(uint32_t& size);

    int32_t GetKind() const { return m_nKind; }
    int32_t GetStatus() const { return m_nStatus; }
    const CBK_Path& GetSource() const { return m_Source; }

protected:
    // Milliseconds of `value` units at `scale`, held to the unsigned 32-bit range; 0 for a
    // scale of 0 or below.
    static uint32_t _ToMsec(double value, double scale);
    // Init through one movie: the source kept and status 0 when it opens, status 2 when not.
    template <class Movie>
    bool _OpenMovie(Movie& movie, CBK_Path& path) {
        if (!movie.Open(path)) {
            m_nStatus = 2;
            return false;
        }
        m_Source = path;
        m_nStatus = 0;
        return true;
    }

    int32_t m_nKind = 0;
    int32_t m_nStatus = 0;
    CBK_Path m_Source;
};

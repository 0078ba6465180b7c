// CBK_QuicktimeMovie: the one way into a movie, sound or picture file: time scale, duration,
// size and tracks, the frame at a movie time as RGB, RGBA or alpha bytes, and the sound as
// PCM in a requested form, piece by piece or whole into a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/paths/path.h"
#include "media/movie/sound_export_description.h"
#include "platform/movie/movie.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

class CBK_Image;
class CBK_ProgressDialog;

// True when the platform reports the movie services.
bool BK_HasQuicktime();
// The upper 16 bits of the platform's movie-services version (0x0710 for 7.1), 0 without.
int32_t BK_GetQuicktimeVersion();
bool BK_HasQuicktimeCFMLibs();
bool BK_QuicktimeMakeFSSpec(CBK_Path& path, tbx::FSSpec& fileSpec);
// Kept for the interface: writes nothing.
void BK_DumpPixmapRaw(tbx::GrafPtr& port, wchar_t* name);
// Keeps a progress window live during a long movie operation: dispatches one pending
// mouse-down and one pending key-down event, without waiting.
void BK_QuicktimeDispatchInputEvents();

// The progress procedure of a sound export; its reference is the CBK_QuicktimeMovie.
tbx::OSErr BK_QuicktimeExportProgressProc(tbx::Movie* movie, tbx::SInt16 message,
                                          tbx::SInt16 operation, tbx::SInt32 percentDone,
                                          void* refCon);

class CBK_QuicktimeMovie {
public:
    using SOUND_EXPORT_DESCRIPTION = BK_SOUND_EXPORT_DESCRIPTION;
    using UPDATE_PERCENT_CALLBACK = void (*)(int32_t percent, void* data);

    CBK_QuicktimeMovie() = default;
    ~CBK_QuicktimeMovie();
    CBK_QuicktimeMovie(const CBK_QuicktimeMovie&) = delete;
    CBK_QuicktimeMovie& operator=(const CBK_QuicktimeMovie&) = delete;

    // Closes any movie held first.
    bool Open(CBK_Path& path);
    bool Close();
    bool IsOpen() const { return _movie != nullptr; }
    bool Play(bool fromStart);
    // True while the movie runs and has not reached its end.
    bool IsPlaying();

    int32_t GetTimeScale();
    void SetTimeScale(int32_t scale);
    int32_t GetTotalSamples();
    int32_t GetTimeValue();
    void SetTimeValue(int32_t value);
    void GetSize(int32_t& width, int32_t& height);
    void SetSize(int32_t width, int32_t height);
    bool HasVideo();
    bool HasAudio();

    // RGBA bytes of the frame's top-left width × height pixels (the rectangle's size, held
    // to the frame; its position is not used). The byte size; 0 on failure. A null buffer
    // only answers the size.
    uint32_t GetRgbaFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* rect);
    // The frame, or the crop rectangle of it (clipped to the frame; false when nothing is
    // left), as a 24-bit RGB or 32-bit RGBA image.
    bool GetRgbFrameImage(uint32_t time, CBK_Image& image, tbx::Rect* crop, int32_t bitsPerPixel);
    // The frame, or srcRect of it, scaled onto outRect's size; 24 bits give RGB, others RGBA.
    uint32_t GetRgbFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* outRect,
                              tbx::Rect* srcRect, int32_t bitsPerPixel);
    uint32_t GetAlphaFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* outRect,
                                tbx::Rect* srcRect);

    // The frame at the current time into a 32-bit port, in `box` or the movie box.
    bool DrawToPixmap(tbx::GrafPtr& port, tbx::Rect* box, tbx::GrafPtr* mask);
    bool DrawToCanvas(tbx::GrafPtr& port, tbx::Rect* box);
    bool DrawToWindow(tbx::WindowRef window, tbx::Rect* box);

    bool GetSoundDescription(tbx::SoundDescription& description);
    bool GetImageDescription(tbx::ImageDescription& description);
    // 0 for a movie without a timed picture stream.
    double ComputeAverageFrameRate();

    bool SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description);
    // PCM of [start, start + duration) (duration 0: to the end), a new array owned by the
    // caller; null when there is no sound, no form set, or start lies beyond the end.
    uint8_t* GetAudioSamples(uint32_t start, int32_t duration, uint32_t& bytes, uint32_t* next);
    uint8_t* GetAudioSamples(int32_t duration, uint32_t& bytes, bool);
    uint8_t* GetAudioSamples2(uint32_t, int32_t, uint32_t&, uint32_t*) { return nullptr; }
    // The sound of the first msec milliseconds (0: all) as a 16-bit file of the type that a
    // sound exporter writes ('AIFF', 'WAVE', 'ULAW'). The source is not changed; a cancelled
    // or failed export leaves no file.
    bool ExportSound(CBK_Path& path, uint32_t fileType, uint32_t msec, CBK_ProgressDialog* dialog);
    // Answers -128 once the dialog is cancelled.
    int16_t OnMovieExportProgressProc(int16_t message, double fractionDone);

    // Texts of at most 31 characters plus the terminator.
    bool GetSoundCodecString(wchar_t* text);
    bool GetImageCodecString(wchar_t* text);
    // "00:MM:SS.hh", at most 32 characters with the terminator.
    bool GetDurationString(wchar_t* text);

    void SetOnUpdatePercentCallback(UPDATE_PERCENT_CALLBACK callback, void* data) {
        _callback = callback;
        _callbackData = data;
    }

    // The path as the file record that BK_QuicktimeMakeFSSpec gives.
    bool MakeFSSpecFromPath(CBK_Path& path, tbx::FSSpec& fileSpec) {
        return BK_QuicktimeMakeFSSpec(path, fileSpec);
    }

    tbx::Movie* GetMovie() { return _movie.get(); }
    const tbx::Rect& GetBox() const { return _box; }

private:
    // The frame at `time` at the box's size, as bytes A, R, G, B, in _scratch.
    bool _RenderBox(uint32_t time, tbx::FramePixels pixels);
    // Renders srcRect (or the whole box) of the frame onto a width × height ARGB buffer.
    bool _RenderScaled(uint32_t time, const tbx::Rect* srcRect, int32_t width, int32_t height,
                       std::vector<uint8_t>& argb);
    // The size of outRect (or of the box) for _RenderScaled; false without video or when an
    // ARGB frame of that size may not be allocated.
    bool _ScaledSize(const tbx::Rect* outRect, int32_t& width, int32_t& height);
    uint8_t* _ReadRange(int64_t start, int64_t length, uint32_t& bytes);

    std::unique_ptr<tbx::Movie> _movie;
    std::string _path;
    tbx::Rect _box;
    int32_t _soundPosition = 0;
    bool _soundReady = false;
    UPDATE_PERCENT_CALLBACK _callback = nullptr;
    void* _callbackData = nullptr;
    CBK_ProgressDialog* _dialog = nullptr;
    std::vector<uint8_t> _scratch;
};

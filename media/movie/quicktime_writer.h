// CBK_QuicktimeWriter: writes a QuickTime movie of lossless 32-bit frames, or a movie holding
// a SWF file as a Flash track, with an optional sound track copied from another movie.
// Samples go to the file as they arrive; the movie header is written at Close.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "media/movie/movie_header.h"
#include "platform/quickdraw/qd_types.h"

class CBK_Image;
class CBK_QuicktimeMovie;

class CBK_QuicktimeWriter {
public:
    // Flags of Create.
    enum : int32_t { FLAG_FLATTEN = 1, FLAG_AUTOPLAY = 2, FLAG_LOOP = 4, FLAG_CONTROLLER = 8 };

    CBK_QuicktimeWriter() = default;
    ~CBK_QuicktimeWriter();
    CBK_QuicktimeWriter(const CBK_QuicktimeWriter&) = delete;
    CBK_QuicktimeWriter& operator=(const CBK_QuicktimeWriter&) = delete;

    // Video samples last 10 units at a time scale of round(10 × frameRate); rates of 0 or
    // below, or below 0.05, are refused.
    bool Create(CBK_Path& output, uint32_t width, uint32_t height, double frameRate, int32_t flags);
    bool AddVideoTrack();
    // Each form adds one frame and answers false when it cannot be written.
    bool AddVideoFrame(const uint8_t* rgba);
    // Pixels red, green, blue, alpha, rows rowBytes apart.
    bool AddVideoFrame(tbx::PixMapHandle pixMap);
    // The port's pixels scaled onto the frame.
    bool AddVideoFrame(tbx::GrafPtr port);
    // A 24- or 32-bit image of the movie's size.
    bool AddVideoFrame(CBK_Image& image);
    // Fills the frame from packed RGB without adding it; the rows written.
    int32_t DrawFrame(const uint8_t* rgb);
    // A test picture on the current port: the rectangle in red and the frame count in blue
    // from its middle, a third of its height tall.
    void DrawFrame(const tbx::Rect* rect, int32_t);
    // The SWF file as one sample of a Flash track, timed by its header's rate and frames.
    bool AddFlashTrack(CBK_Path& swf, uint16_t graphicsMode, uint32_t colour);
    // The sound of "_0aacc01.mov" beside the application; false when it is missing.
    bool AddSoundTrack();
    // The sound of another movie file as a 16-bit 'twos' track.
    bool CopyTrack(CBK_Path& movie);
    // Writes the movie header (and flattens); false when any write failed, in which case
    // the output is removed.
    bool Close();

    uint32_t GetFrameCount() const { return m_nFrameCount; }
    int32_t GetTimeScale() const { return m_nTimeScale; }

private:
    bool _AddVideoTrack();
    bool _AddSoundTrack(CBK_QuicktimeMovie& movie);
    // The frame store (bytes A, R, G, B) as one sample.
    bool _WriteFrame();
    bool _Write(const void* bytes, std::size_t size);
    bool _WriteAt(uint64_t offset, const void* bytes, std::size_t size);
    bool _Finish();
    bool _Flatten();
    void _Abandon();
    uint8_t* _Store(int32_t& rowBytes);
    // Rows `stride` bytes apart of R, G, B, A pixels (kBytes 4) or R, G, B (3, opaque) into
    // the frame store.
    template <int kBytes>
    void _StoreRows(const uint8_t* rows, std::size_t stride);

    uint32_t m_nFrameCount = 0;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nFrameRate = 12;
    int32_t m_nTimeScale = 600;
    int32_t m_nFrameDuration = 10;
    // Without flatten the samples go straight to the output (replaced at Close); with it,
    // to a temporary file that Close copies behind the movie header.
    std::unique_ptr<CBK_AtomicFile> m_Output2;
    std::FILE* m_pTemporary = nullptr;
    tbx::GWorldPtr m_FrameStore = nullptr;
    CBK_Path m_Output;
    CBK_Path m_TempPath;
    bool m_bFlatten = false;
    bool m_bController = true;
    bool m_bLoop = false;
    bool m_bAutoplay = false;
    bool m_bFailed = false;
    uint64_t m_nWritten = 0; // bytes in the file so far
    std::vector<BK_MOVIE_TRACK> m_Tracks;
    int m_nVideoTrack = -1;
};

// The picture stream of a still picture that FFmpeg does not read: one frame held from the
// start, never decoded again.
#include "platform/movie/video_track.h"

#include <cstring>

namespace tbx::movie {

std::unique_ptr<VideoTrack> VideoTrack::FromPixels(int32_t width, int32_t height,
                                                   const uint32_t* pixels, OSType type) {
    if (!pixels || width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return nullptr;
    std::unique_ptr<VideoTrack> track(new VideoTrack);
    track->_current.reset(av_frame_alloc());
    AVFrame* frame = track->_current.get();
    if (!frame)
        return nullptr;
    // 32-bit values in the machine's order with the alpha byte left out: opaque pixels.
    frame->format = AV_PIX_FMT_0RGB32;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0)
        return nullptr;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0],
                    pixels + std::size_t(y) * std::size_t(width), std::size_t(width) * 4);
    track->_still = true;
    track->_haveCurrent = true;
    track->_width = width;
    track->_height = height;
    track->_codecTag = __builtin_bswap32(type); // kept low byte first, as FFmpeg keeps tags
    return track;
}

} // namespace tbx::movie

// Decoded pictures to packed pixels at any size, turned as the stream's display matrix says.
// Internal to the platform layer: movies, and pictures inside PICT files that FFmpeg decodes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/frames/frame_pixels.h"

namespace tbx::frames {

// A quarter turn or mirror of the picture: the stored pixel (p, q) is shown at
// (a p + c q, b p + d q), moved back into the frame. Each entry is -1, 0 or 1.
struct Orientation {
    int a = 1, b = 0, c = 0, d = 1;
    bool SwapsAxes() const { return a == 0; }
    bool IsIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1; }
};

// The orientation that the stream's display matrix asks for; the identity when it has none or
// asks for something other than quarter turns and mirrors.
Orientation StreamOrientation(const AVStream* stream);

class FrameScaler {
public:
    // Converts the frame to `pixels` at width × height as displayed (after the orientation)
    // into a target of targetBytes, rows rowBytes apart, writing every pixel of the rows and
    // nothing outside them. A frame drawn at another size than its own is the frame as drawn
    // at its own size, resized, so that a flat colour keeps its value at every size.
    bool Scale(const AVFrame* frame, const Orientation& orientation, FramePixels pixels,
               uint8_t* target, std::size_t targetBytes, int32_t rowBytes, int32_t width,
               int32_t height);

private:
    struct ScalerFree {
        void operator()(SwsContext* context) const { sws_freeContext(context); }
    };
    struct FrameFree {
        void operator()(AVFrame* frame) const { av_frame_free(&frame); }
    };
    using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
    using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
    // What the scaler writes for a target: its format and width (wider than the target's where
    // rows are converted in whole groups), and whether its pixels are native 32-bit words
    // 0xAARRGGBB that are put into the target as bytes A, R, G, B.
    struct Written {
        AVPixelFormat format = AV_PIX_FMT_NONE;
        int32_t width = 0;
        bool words = false;
    };
    // One change of size, into planar RGB.
    struct Step {
        ScalerPtr scaler;
        FramePtr picture;
    };
    static Written _WrittenAs(const AVFrame* frame, FramePixels pixels, int32_t width,
                              int32_t height);
    bool _Plan(const AVFrame* frame, FramePixels pixels, int32_t width, int32_t height,
               bool direct);
    // The frame's planes, readable `width` pixels wide: the frame's own where its buffers hold
    // that much, else a copy.
    bool _Widen(const AVFrame* frame, int32_t width, const uint8_t* const*& planes,
                const int*& strides);
    // Draws the frame at its own size a band of rows at a time, each band resized by the first
    // step as it comes.
    bool _Bands(const AVFrame* frame, const uint8_t* const* planes, const int* strides,
                int32_t bytes);
    // Puts width × height pixels of _rows into the target, turned.
    void _Orient(const Orientation& orientation, int32_t width, int32_t height, int32_t bytes,
                 uint8_t* target, int32_t rowBytes);

    ScalerPtr _native; // the frame as drawn at its own size; none where the frame holds that
    std::vector<Step> _steps;
    ScalerPtr _pack;  // the last step's planes to the target's pixels
    Written _written; // by _native
    FramePtr _wide;
    std::vector<uint8_t> _rows; // what is turned into the target, or empty
    int32_t _rowStride = 0;
    bool _rowWords = false;
    std::vector<uint8_t> _band;
    // What the plan was made for.
    int _sourceWidth = 0, _sourceHeight = 0, _sourceFormat = -1;
    FramePixels _pixels = FramePixels::Rgb24;
    int32_t _width = 0, _height = 0;
    bool _direct = false;
};

} // namespace tbx::frames

#include "platform/movie/frame_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace tbx::movie {

namespace {

// The largest change of an axis that one step of the scaler is asked for; beyond some ratios
// (and in some combinations of them) it refuses to make a context at all.
constexpr int64_t kMaxStepRatio = 16;

int Sign(double value) {
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

// The sizes that a picture passes through from w × h to tw × th. Axes shrink before any grows,
// so no intermediate picture is larger along an axis than both the source and the target.
std::vector<std::pair<int32_t, int32_t>> StepSizes(int32_t w, int32_t h, int32_t tw, int32_t th) {
    std::vector<std::pair<int32_t, int32_t>> sizes;
    auto shrink = [](int32_t from, int32_t to) {
        return from > to
                   ? int32_t(std::max<int64_t>(to, (from + kMaxStepRatio - 1) / kMaxStepRatio))
                   : from;
    };
    auto grow = [](int32_t from, int32_t to) {
        return from < to ? int32_t(std::min<int64_t>(to, int64_t(from) * kMaxStepRatio)) : from;
    };
    while (w > tw || h > th) {
        w = shrink(w, tw);
        h = shrink(h, th);
        sizes.emplace_back(w, h);
    }
    while (w < tw || h < th) {
        w = grow(w, tw);
        h = grow(h, th);
        sizes.emplace_back(w, h);
    }
    if (sizes.empty())
        sizes.emplace_back(tw, th);
    return sizes;
}

} // namespace

Orientation StreamOrientation(const AVStream* stream) {
    std::size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    int32_t matrix[9];
    if (!data || size < sizeof matrix)
        return {};
    std::memcpy(matrix, data, sizeof matrix);
    const double a = matrix[0], b = matrix[1], c = matrix[3], d = matrix[4];
    auto negligible = [](double minor, double major) {
        return major != 0 && std::fabs(minor) * 64 <= std::fabs(major);
    };
    Orientation turn;
    if (negligible(b, a) && negligible(c, d))
        turn = Orientation{Sign(a), 0, 0, Sign(d)};
    else if (negligible(a, b) && negligible(d, c))
        turn = Orientation{0, Sign(b), Sign(c), 0};
    return turn; // any other angle is shown as stored
}

bool FrameScaler::_Plan(const AVFrame* frame, AVPixelFormat format, int32_t width, int32_t height,
                        bool direct) {
    if (!_steps.empty() && _sourceWidth == frame->width && _sourceHeight == frame->height &&
        _sourceFormat == frame->format && _format == format && _width == width &&
        _height == height && _direct == direct)
        return true;
    _steps.clear();
    _sourceWidth = frame->width;
    _sourceHeight = frame->height;
    _sourceFormat = frame->format;
    _format = format;
    _width = width;
    _height = height;
    _direct = direct;
    const int32_t bytes = format == AV_PIX_FMT_ARGB ? 4 : 3;
    auto add = [&](int32_t w, int32_t h, SwsContext* scaler) {
        Step step;
        step.scaler.reset(scaler);
        step.width = w;
        step.height = h;
        if (!(direct && w == width && h == height)) {
            // Room for the scaler's writes past the end of a row.
            step.stride = (w + 32) * bytes;
            step.pixels.resize(std::size_t(step.stride) * (h + 1));
        }
        _steps.push_back(std::move(step));
    };
    const AVPixelFormat source = AVPixelFormat(frame->format);
    if (SwsContext* one = sws_getContext(frame->width, frame->height, source, width, height, format,
                                         SWS_BICUBIC, nullptr, nullptr, nullptr)) {
        add(width, height, one);
        return true;
    }
    int32_t w = frame->width, h = frame->height;
    AVPixelFormat from = source;
    for (const auto& [nextWidth, nextHeight] : StepSizes(w, h, width, height)) {
        SwsContext* step = sws_getContext(w, h, from, nextWidth, nextHeight, format, SWS_BICUBIC,
                                          nullptr, nullptr, nullptr);
        if (!step) {
            _steps.clear();
            return false;
        }
        add(nextWidth, nextHeight, step);
        w = nextWidth;
        h = nextHeight;
        from = format;
    }
    return true;
}

void FrameScaler::_Orient(const Step& last, const Orientation& turn, int32_t bytes, uint8_t* target,
                          int32_t rowBytes) {
    const int32_t w = last.width, h = last.height;
    if (turn.IsIdentity()) {
        for (int32_t y = 0; y < h; ++y)
            std::memcpy(target + std::size_t(y) * rowBytes,
                        last.pixels.data() + std::size_t(y) * last.stride, std::size_t(w) * bytes);
        return;
    }
    const int64_t ox = (turn.a < 0 ? w - 1 : 0) + (turn.c < 0 ? h - 1 : 0);
    const int64_t oy = (turn.b < 0 ? w - 1 : 0) + (turn.d < 0 ? h - 1 : 0);
    for (int32_t q = 0; q < h; ++q) {
        const uint8_t* row = last.pixels.data() + std::size_t(q) * last.stride;
        for (int32_t p = 0; p < w; ++p) {
            const int64_t x = turn.a * p + turn.c * q + ox;
            const int64_t y = turn.b * p + turn.d * q + oy;
            std::memcpy(target + y * rowBytes + x * bytes, row + std::size_t(p) * bytes,
                        std::size_t(bytes));
        }
    }
}

bool FrameScaler::Scale(const AVFrame* frame, const Orientation& orientation, FramePixels pixels,
                        uint8_t* target, std::size_t targetBytes, int32_t rowBytes, int32_t width,
                        int32_t height) {
    if (!frame || !target || width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0)
        return false;
    const AVPixelFormat format = pixels == FramePixels::Argb32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24;
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    const bool swap = orientation.SwapsAxes();
    // The scaler's vector paths write whole groups of pixels, past the end of a row: straight
    // into the target only where that lands on the next row or on room to spare after the
    // last. Other targets, and turned pictures, go through a buffer of our own.
    const bool direct = orientation.IsIdentity() && rowBytes == width * bytes &&
                        targetBytes >= std::size_t(rowBytes) * height + kFrameRenderRoom;
    if (!_Plan(frame, format, swap ? height : width, swap ? width : height, direct))
        return false;
    const uint8_t* const* in = frame->data;
    const int* inStrides = frame->linesize;
    int inHeight = frame->height;
    const uint8_t* planes[4] = {};
    int strides[4] = {};
    for (Step& step : _steps) {
        uint8_t* out[4] = {step.pixels.empty() ? target : step.pixels.data()};
        int outStrides[4] = {step.pixels.empty() ? rowBytes : step.stride};
        if (sws_scale(step.scaler.get(), in, inStrides, 0, inHeight, out, outStrides) !=
            step.height)
            return false;
        planes[0] = out[0];
        strides[0] = outStrides[0];
        in = planes;
        inStrides = strides;
        inHeight = step.height;
    }
    if (!_steps.back().pixels.empty())
        _Orient(_steps.back(), orientation, bytes, target, rowBytes);
    return true;
}

} // namespace tbx::movie

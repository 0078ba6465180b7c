#include "platform/movie/frame_scaler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace tbx::movie {

namespace {

// The largest change of an axis that one step of the scaler is asked for; beyond some ratios
// (and in some combinations of them) it refuses to make a context at all.
constexpr int64_t kMaxStepRatio = 16;

// Sources that swscale turns into packed RGB of their own size, at an even height, through its
// converter of 4:2:0 and 4:2:2 YUV, which works on groups of pixels. It leaves a row's last
// partial group unwritten: the last column at odd widths, and up to seven columns more where
// rows lie tight. Its portable code, which serves the byte orders that its vector code does not
// (ARGB among them), also gives each odd row of a 4:2:2 picture the colours of the row above.
// Such pictures are converted in whole groups of kGroup, reading on into their rows' padding (or
// a copy with room for it), in an order that the vector code writes; the columns past the
// picture's are thrown away. At odd heights swscale takes its general path, which writes every
// pixel and blends the chroma of an odd width's last columns: those are left to it.
bool TakenByGroupConverter(AVPixelFormat format) {
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVA420P:
        return true;
    default:
        return false;
    }
}
constexpr int64_t kGroup = 16;

// Native words 0xAARRGGBB as bytes A, R, G, B.
void PutWords(uint8_t* to, const uint8_t* from, int32_t count) {
    for (int32_t x = 0; x < count; ++x) {
        uint32_t argb;
        std::memcpy(&argb, from + std::size_t(x) * 4, 4);
        if constexpr (std::endian::native == std::endian::little)
            argb = __builtin_bswap32(argb);
        std::memcpy(to + std::size_t(x) * 4, &argb, 4);
    }
}

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

FrameScaler::Written FrameScaler::_WrittenAs(const AVFrame* frame, FramePixels pixels,
                                             int32_t width, int32_t height) {
    Written written{pixels == FramePixels::Argb32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24, width};
    if (!TakenByGroupConverter(AVPixelFormat(frame->format)) || frame->width != width ||
        frame->height != height || height % 2 != 0)
        return written;
    written.width = int32_t((int64_t(width) + kGroup - 1) / kGroup * kGroup);
    if (pixels == FramePixels::Argb32) {
        // The order that the converter's vector code writes, reordered as it is put in place.
        written.format = AV_PIX_FMT_RGB32;
        written.words = true;
    }
    return written;
}

bool FrameScaler::_Plan(const AVFrame* frame, FramePixels pixels, int32_t width, int32_t height,
                        bool direct) {
    if (!_steps.empty() && _sourceWidth == frame->width && _sourceHeight == frame->height &&
        _sourceFormat == frame->format && _pixels == pixels && _width == width &&
        _height == height && _direct == direct)
        return true;
    _steps.clear();
    _sourceWidth = frame->width;
    _sourceHeight = frame->height;
    _sourceFormat = frame->format;
    _pixels = pixels;
    _width = width;
    _height = height;
    _direct = direct;
    _written = _WrittenAs(frame, pixels, width, height);
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    auto add = [&](int32_t from, int32_t w, int32_t h, int32_t written, SwsContext* scaler) {
        Step step;
        step.scaler.reset(scaler);
        step.sourceWidth = from;
        step.width = w;
        step.height = h;
        if (!(direct && w == width && h == height)) {
            // Room for the scaler's writes past the end of a row.
            step.stride = (written + 32) * bytes;
            step.pixels.resize(std::size_t(step.stride) * (h + 1));
        }
        _steps.push_back(std::move(step));
    };
    const AVPixelFormat source = AVPixelFormat(frame->format);
    // A picture converted in whole groups is read as wide as it is written.
    const bool grouped = _written.width != width;
    const int32_t read = grouped ? _written.width : frame->width;
    if (SwsContext* one = sws_getContext(read, frame->height, source, _written.width, height,
                                         _written.format, SWS_BICUBIC, nullptr, nullptr, nullptr)) {
        add(read, width, height, _written.width, one);
        return true;
    }
    if (grouped || _written.words)
        return false;
    int32_t w = frame->width, h = frame->height;
    AVPixelFormat from = source;
    for (const auto& [nextWidth, nextHeight] : StepSizes(w, h, width, height)) {
        SwsContext* step = sws_getContext(w, h, from, nextWidth, nextHeight, _written.format,
                                          SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!step) {
            _steps.clear();
            return false;
        }
        add(w, nextWidth, nextHeight, nextWidth, step);
        w = nextWidth;
        h = nextHeight;
        from = _written.format;
    }
    return true;
}

bool FrameScaler::_Widen(const AVFrame* frame, int32_t width, const uint8_t* const*& planes,
                         const int*& strides) {
    const AVPixelFormat format = AVPixelFormat(frame->format);
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
    int lines[4] = {};
    if (!layout || av_image_fill_linesizes(lines, format, width) < 0)
        return false;
    bool readable = true;
    for (int i = 0; i < 4 && readable; ++i) {
        if (lines[i] <= 0)
            continue;
        const int rows =
            i == 1 || i == 2 ? AV_CEIL_RSHIFT(frame->height, layout->log2_chroma_h) : frame->height;
        const AVBufferRef* buffer = av_frame_get_plane_buffer(const_cast<AVFrame*>(frame), i);
        readable = buffer && frame->data[i] && frame->linesize[i] >= lines[i] &&
                   frame->data[i] >= buffer->data &&
                   frame->data[i] + std::ptrdiff_t(rows - 1) * frame->linesize[i] + lines[i] <=
                       buffer->data + buffer->size;
    }
    if (readable)
        return true;
    AVFrame* wide = _wide.get();
    if (!wide || wide->format != frame->format || wide->width != width ||
        wide->height != frame->height) {
        _wide.reset(av_frame_alloc());
        wide = _wide.get();
        if (!wide)
            return false;
        wide->format = frame->format;
        wide->width = width;
        wide->height = frame->height;
        if (av_frame_get_buffer(wide, 0) < 0) {
            _wide.reset();
            return false;
        }
        // The columns past the picture's are converted and thrown away; they hold no leftovers.
        for (const AVBufferRef* buffer : wide->buf)
            if (buffer)
                std::memset(buffer->data, 0, buffer->size);
    }
    av_image_copy(wide->data, wide->linesize, const_cast<const uint8_t**>(frame->data),
                  frame->linesize, format, frame->width, frame->height);
    planes = wide->data;
    strides = wide->linesize;
    return true;
}

void FrameScaler::_Orient(const Step& last, const Orientation& turn, int32_t bytes, uint8_t* target,
                          int32_t rowBytes) {
    const int32_t w = last.width, h = last.height;
    const bool words = _written.words;
    if (turn.IsIdentity()) {
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* to = target + std::size_t(y) * rowBytes;
            const uint8_t* from = last.pixels.data() + std::size_t(y) * last.stride;
            if (words)
                PutWords(to, from, w);
            else
                std::memcpy(to, from, std::size_t(w) * bytes);
        }
        return;
    }
    const int64_t ox = (turn.a < 0 ? w - 1 : 0) + (turn.c < 0 ? h - 1 : 0);
    const int64_t oy = (turn.b < 0 ? w - 1 : 0) + (turn.d < 0 ? h - 1 : 0);
    for (int32_t q = 0; q < h; ++q) {
        const uint8_t* row = last.pixels.data() + std::size_t(q) * last.stride;
        for (int32_t p = 0; p < w; ++p) {
            const int64_t x = turn.a * p + turn.c * q + ox;
            const int64_t y = turn.b * p + turn.d * q + oy;
            uint8_t* to = target + y * rowBytes + x * bytes;
            const uint8_t* from = row + std::size_t(p) * bytes;
            if (words)
                PutWords(to, from, 1);
            else
                std::memcpy(to, from, std::size_t(bytes));
        }
    }
}

bool FrameScaler::Scale(const AVFrame* frame, const Orientation& orientation, FramePixels pixels,
                        uint8_t* target, std::size_t targetBytes, int32_t rowBytes, int32_t width,
                        int32_t height) {
    if (!frame || !target || width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0)
        return false;
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    const bool swap = orientation.SwapsAxes();
    const int32_t planWidth = swap ? height : width, planHeight = swap ? width : height;
    // The scaler's vector paths write whole groups of pixels, past the end of a row: straight
    // into the target only where that lands on the next row or on room to spare after the
    // last, and where what it writes is what the target holds. Other targets, and turned
    // pictures, go through a buffer of our own.
    const Written written = _WrittenAs(frame, pixels, planWidth, planHeight);
    const bool direct = orientation.IsIdentity() && !written.words && written.width == width &&
                        rowBytes == width * bytes &&
                        targetBytes >= std::size_t(rowBytes) * height + kFrameRenderRoom;
    if (!_Plan(frame, pixels, planWidth, planHeight, direct))
        return false;
    const uint8_t* const* in = frame->data;
    const int* inStrides = frame->linesize;
    if (_steps.front().sourceWidth > frame->width &&
        !_Widen(frame, _steps.front().sourceWidth, in, inStrides))
        return false;
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

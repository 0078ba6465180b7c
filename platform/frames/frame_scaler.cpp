#include "platform/frames/frame_scaler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace tbx::frames {

namespace {

// The largest change of an axis that one step of a resize is asked for. Beyond some ratios (and
// in some combinations of them) swscale refuses to make a context at all, and from about 64 its
// horizontal filters round a flat colour away by a level or two.
constexpr int64_t kMaxStepRatio = 16;

// Resizing. Without exact rounding swscale's vector code for the vertical filter drops the low
// bits of every product, which over the many taps of a large reduction shifts a colour's
// channels apart (a flat black drawn at an eightieth of its size came out (3, 0, 3), a grey 128
// as (131, 126, 131)); its resizes from 4:2:0 and the like to RGB round a colour otherwise than
// its conversion at the picture's own size, by up to three levels. Pictures are therefore drawn
// at their own size as they are shown there and resized as planar RGB, whose exact rounding
// keeps a flat colour's value.
constexpr int kResizeFlags =
    SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;

// Rows of a picture drawn at its own size that are resized at a time: a multiple of every
// chroma subsampling's rows.
constexpr int32_t kBand = 32;

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

// The sizes that a picture passes through from w × h to tw × th: one step where no axis changes
// more than kMaxStepRatio times, else as few as that allows, sharing the change evenly. (Steps
// taken as large as they may be can leave the last one to read a picture of two or three pixels
// across, for which swscale's filters shrink to a single tap.)
std::vector<std::pair<int32_t, int32_t>> StepSizes(int32_t w, int32_t h, int32_t tw, int32_t th) {
    auto ratio = [](double from, double to) { return std::max(from, to) / std::min(from, to); };
    // The size k steps of n along the way, each changing it by the same ratio.
    auto along = [](int32_t from, int32_t to, int k, int n) {
        const double size = from * std::pow(double(to) / from, double(k) / n);
        return k == n ? to : std::max<int32_t>(1, int32_t(std::lround(size)));
    };
    const double most = std::max(ratio(w, tw), ratio(h, th));
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (int n = std::max(1, int(std::ceil(std::log(most) / std::log(kMaxStepRatio)))); n <= 64;
         ++n) {
        sizes.clear();
        bool fits = true;
        for (int k = 1; k <= n; ++k) {
            const auto [lastWidth, lastHeight] = k > 1 ? sizes.back() : std::pair{w, h};
            sizes.emplace_back(along(w, tw, k, n), along(h, th, k, n));
            fits = fits && ratio(lastWidth, sizes.back().first) <= kMaxStepRatio &&
                   ratio(lastHeight, sizes.back().second) <= kMaxStepRatio;
        }
        if (fits)
            break;
    }
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
    if ((_native || !_steps.empty()) && _sourceWidth == frame->width &&
        _sourceHeight == frame->height && _sourceFormat == frame->format && _pixels == pixels &&
        _width == width && _height == height && _direct == direct)
        return true;
    _native.reset();
    _steps.clear();
    _pack.reset();
    _rows.clear();
    _sourceWidth = frame->width;
    _sourceHeight = frame->height;
    _sourceFormat = frame->format;
    _pixels = pixels;
    _width = width;
    _height = height;
    _direct = direct;
    _written = _WrittenAs(frame, pixels, frame->width, frame->height);
    const AVPixelFormat source = AVPixelFormat(frame->format);
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    const bool resized = width != frame->width || height != frame->height;
    // A picture converted in whole groups is read as wide as it is written.
    const bool grouped = _written.width != frame->width;
    if (!resized || grouped || source != _written.format) {
        _native.reset(sws_getContext(grouped ? _written.width : frame->width, frame->height, source,
                                     _written.width, frame->height, _written.format, SWS_BICUBIC,
                                     nullptr, nullptr, nullptr));
        if (!_native)
            return false;
    }
    if (!resized) {
        if (!direct) {
            // Room for the scaler's writes past the end of a row.
            _rowStride = (_written.width + 32) * bytes;
            _rows.resize(std::size_t(_rowStride) * (height + 1));
            _rowWords = _written.words;
        }
        return true;
    }
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(source);
    const bool alpha = pixels == FramePixels::Argb32 && layout &&
                       (layout->flags & (AV_PIX_FMT_FLAG_ALPHA | AV_PIX_FMT_FLAG_PAL));
    const AVPixelFormat planar = alpha ? AV_PIX_FMT_GBRAP : AV_PIX_FMT_GBRP;
    int32_t w = frame->width, h = frame->height;
    AVPixelFormat from = _written.format;
    for (const auto& [nextWidth, nextHeight] : StepSizes(w, h, width, height)) {
        Step step;
        step.scaler.reset(sws_getContext(w, h, from, nextWidth, nextHeight, planar, kResizeFlags,
                                         nullptr, nullptr, nullptr));
        step.picture.reset(av_frame_alloc());
        if (!step.scaler || !step.picture)
            return false;
        step.picture->format = planar;
        step.picture->width = nextWidth;
        step.picture->height = nextHeight;
        if (av_frame_get_buffer(step.picture.get(), 0) < 0)
            return false;
        _steps.push_back(std::move(step));
        w = nextWidth;
        h = nextHeight;
        from = planar;
    }
    _pack.reset(sws_getContext(width, height, planar, width, height,
                               pixels == FramePixels::Argb32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24,
                               SWS_POINT, nullptr, nullptr, nullptr));
    if (!_pack)
        return false;
    if (!direct) {
        _rowStride = width * bytes;
        _rows.resize(std::size_t(_rowStride) * height);
        _rowWords = false;
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

bool FrameScaler::_Bands(const AVFrame* frame, const uint8_t* const* planes, const int* strides,
                         int32_t bytes) {
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    SwsContext* first = _steps.front().scaler.get();
    AVFrame* picture = _steps.front().picture.get();
    if (!layout)
        return false;
    // Room for the scaler's writes past the end of a row.
    const int32_t stride = (_written.width + 32) * bytes;
    int32_t drawn = 0, made = 0;
    for (int32_t y = 0; y < frame->height; y += kBand) {
        const int32_t rows = std::min(kBand, frame->height - y);
        // A conversion gives no row before the same row of the frame has come, and may keep
        // rows back until it has the chroma rows below them.
        const int32_t most = y + rows - drawn;
        if (_band.size() < std::size_t(most + 1) * stride)
            _band.resize(std::size_t(most + 1) * stride);
        const uint8_t* slice[4] = {};
        for (int i = 0; i < 4; ++i) {
            if (!planes[i])
                continue;
            const bool palette = i == 1 && (layout->flags & AV_PIX_FMT_FLAG_PAL);
            const int row = palette ? 0 : i == 1 || i == 2 ? y >> layout->log2_chroma_h : y;
            slice[i] = planes[i] + std::ptrdiff_t(row) * strides[i];
        }
        // swscale puts each row it gives where it lies in the whole picture: the band stands
        // for the rows from `drawn` on. The address is formed as a number; only the band's
        // own rows are written through it.
        uint8_t* out[4] = {reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(_band.data()) -
                                                      uintptr_t(drawn) * uintptr_t(stride))};
        const int outStrides[4] = {stride};
        const int given = sws_scale(_native.get(), slice, strides, y, rows, out, outStrides);
        if (given < 0 || given > most)
            return false;
        if (given > 0) {
            const uint8_t* band[4] = {_band.data()};
            const int bandStrides[4] = {stride};
            const int height =
                sws_scale(first, band, bandStrides, drawn, given, picture->data, picture->linesize);
            if (height < 0)
                return false;
            made += height;
        }
        drawn += given;
    }
    return drawn == frame->height && made == picture->height;
}

void FrameScaler::_Orient(const Orientation& turn, int32_t w, int32_t h, int32_t bytes,
                          uint8_t* target, int32_t rowBytes) {
    const bool words = _rowWords;
    if (turn.IsIdentity()) {
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* to = target + std::size_t(y) * rowBytes;
            const uint8_t* from = _rows.data() + std::size_t(y) * _rowStride;
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
        const uint8_t* row = _rows.data() + std::size_t(q) * _rowStride;
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
    const bool resized = planWidth != frame->width || planHeight != frame->height;
    // Drawn at its own size, the scaler's vector paths write whole groups of pixels, past the
    // end of a row: straight into the target only where that lands on the next row or on room
    // to spare after the last, and where what it writes is what the target holds. A resized
    // picture is put into place by a conversion that writes its rows' pixels and no more.
    // Turned pictures go through a buffer of our own.
    bool direct = orientation.IsIdentity();
    if (!resized) {
        const Written written = _WrittenAs(frame, pixels, planWidth, planHeight);
        direct = direct && !written.words && written.width == width && rowBytes == width * bytes &&
                 targetBytes >= std::size_t(rowBytes) * height + kFrameRenderRoom;
    }
    if (!_Plan(frame, pixels, planWidth, planHeight, direct)) {
        _native.reset();
        _steps.clear();
        return false;
    }
    const uint8_t* const* in = frame->data;
    const int* inStrides = frame->linesize;
    if (_written.width > frame->width && !_Widen(frame, _written.width, in, inStrides))
        return false;
    uint8_t* out[4] = {direct ? target : _rows.data()};
    const int outStrides[4] = {direct ? rowBytes : _rowStride};
    if (!resized) {
        if (sws_scale(_native.get(), in, inStrides, 0, frame->height, out, outStrides) !=
            frame->height)
            return false;
    } else {
        const AVFrame* first = _steps.front().picture.get();
        const bool begun =
            _native ? _Bands(frame, in, inStrides, bytes)
                    : sws_scale(_steps.front().scaler.get(), in, inStrides, 0, frame->height,
                                first->data, first->linesize) == first->height;
        if (!begun)
            return false;
        for (std::size_t i = 1; i < _steps.size(); ++i) {
            const AVFrame* from = _steps[i - 1].picture.get();
            AVFrame* to = _steps[i].picture.get();
            if (sws_scale(_steps[i].scaler.get(), from->data, from->linesize, 0, from->height,
                          to->data, to->linesize) != to->height)
                return false;
        }
        const AVFrame* last = _steps.back().picture.get();
        if (sws_scale(_pack.get(), last->data, last->linesize, 0, last->height, out, outStrides) !=
            last->height)
            return false;
    }
    if (!direct)
        _Orient(orientation, planWidth, planHeight, bytes, target, rowBytes);
    return true;
}

} // namespace tbx::frames

#include "platform/pict/pict_canvas.h"

#include <algorithm>
#include <cmath>

#include "platform/fonts/font_catalog.h"
#include "platform/text_encoding.h"

namespace tbx::pict {
namespace {

// Larger text is not drawn: its glyph bitmaps alone would be huge.
constexpr int kMaxTextSize = 1024;
constexpr int kDefaultTextSize = 12;

// Room to decode one photograph of the most pixels a picture holds, however small it is placed:
// its frame, its pixels, and the scans of a long progressive script (six frames' worth).
constexpr uint64_t kImageAllowance = 8 * uint64_t(kMaxPicturePixels);

int Width(const Rect& r) {
    return r.right - r.left;
}
int Height(const Rect& r) {
    return r.bottom - r.top;
}

bool PatternBit(const Pattern& pattern, int x, int y) {
    return (pattern[std::size_t(y & 7)] >> (7 - (x & 7))) & 1;
}

uint32_t Blend(uint32_t top, uint32_t under, unsigned coverage) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned a = (top >> shift) & 0xFF, b = (under >> shift) & 0xFF;
        out |= uint32_t((a * coverage + b * (255 - coverage)) / 255) << shift;
    }
    return out;
}

} // namespace

Canvas::Canvas(DecodedPicture& picture) : _picture(picture) {
    const Rect& f = picture.frame;
    const uint64_t area = uint64_t(Width(f)) * uint64_t(Height(f));
    _picture.pixels.assign(std::size_t(area), kWhite);
    _budget = (uint64_t(1) << 25) + 8 * area;
    _images = kImageAllowance;
    _box = {f.top, f.bottom, f.left, f.right};
}

bool Canvas::Charge(uint64_t units) {
    if (units > _budget)
        return false;
    _budget -= units;
    return true;
}

bool Canvas::ChargeImage(uint64_t units) {
    if (units > UnspentForImages())
        return false;
    const uint64_t own = std::min(units, _images);
    _images -= own;
    _budget -= units - own;
    return true;
}

RowClip Canvas::Clip(int dh, int dv) const {
    return {_box.top + _originV - dv, _box.bottom + _originV + dv, _box.left + _originH - dh,
            _box.right + _originH + dh};
}

RowClip Canvas::Unclipped() const {
    const Rect& f = Frame();
    return {f.top + _originV, f.bottom + _originV, f.left + _originH, f.right + _originH};
}

void Canvas::SetClip(const Spans& region) {
    const Rect& f = Frame();
    Spans clip = Offset(region, -_originH, -_originV);
    _box = {f.bottom, f.top, f.right, f.left}; // empty until a pixel widens it
    for (std::size_t i = 0; i < clip.rows.size(); ++i) {
        const int y = clip.top + int(i);
        if (y < f.top || y >= f.bottom)
            clip.rows[i].clear();
        Spans::Row kept;
        for (auto [x0, x1] : clip.rows[i])
            if (std::max<int>(x0, f.left) < std::min<int>(x1, f.right))
                kept.emplace_back(std::max<int>(x0, f.left), std::min<int>(x1, f.right));
        clip.rows[i].swap(kept);
        if (clip.rows[i].empty())
            continue;
        _box.top = std::min(_box.top, y);
        _box.bottom = std::max(_box.bottom, y + 1);
        _box.left = std::min(_box.left, clip.rows[i].front().first);
        _box.right = std::max(_box.right, clip.rows[i].back().second);
    }
    _clip = std::move(clip);
}

void Canvas::MoveOrigin(int dh, int dv) {
    // Far enough that every 16-bit coordinate lies off any frame, near enough not to overflow.
    static constexpr int kFar = 1 << 20;
    auto move = [](int& at, int by) { at = std::clamp(at + by, -kFar, kFar); };
    const int h = _originH, v = _originV;
    move(_originH, dh);
    move(_originV, dv);
    penH += _originH - h;
    textH += _originH - h;
    penV += _originV - v;
    textV += _originV - v;
}

bool Canvas::Visible(int x, int y) const {
    if (y < _box.top || y >= _box.bottom || x < _box.left || x >= _box.right)
        return false;
    if (!_clip)
        return true;
    const Spans::Row& row = _clip->rows[std::size_t(y - _clip->top)];
    auto after = std::upper_bound(row.begin(), row.end(), std::make_pair(x, INT32_MAX));
    return after != row.begin() && x < std::prev(after)->second;
}

template <class Draw>
void Canvas::ForVisible(int y, int x0, int x1, Draw&& draw) const {
    x0 = std::max(x0, _box.left);
    x1 = std::min(x1, _box.right);
    if (y < _box.top || y >= _box.bottom || x0 >= x1)
        return;
    if (!_clip) {
        draw(x0, x1);
        return;
    }
    const Spans::Row& row = _clip->rows[std::size_t(y - _clip->top)];
    // The first run of the clip that ends after x0, and the rest up to x1.
    auto at =
        std::upper_bound(row.begin(), row.end(), x0,
                         [](int x, const std::pair<int, int>& run) { return x < run.second; });
    for (; at != row.end() && at->first < x1; ++at)
        draw(std::max(at->first, x0), std::min(at->second, x1));
}

void Canvas::Apply(uint32_t& pixel, bool bit, int mode) const {
    if (mode & 4)
        bit = !bit;
    switch (mode & 3) {
    case 0: // copy
        pixel = bit ? fore : back;
        break;
    case 1: // or
        if (bit)
            pixel = fore;
        break;
    case 2: // xor
        if (bit)
            pixel ^= 0x00FFFFFFu;
        break;
    default: // bic
        if (bit)
            pixel = back;
        break;
    }
}

bool Canvas::Fill(const Spans& spans, Verb verb) {
    uint64_t work = spans.rows.size();
    for (const auto& row : spans.rows)
        for (auto [x0, x1] : row)
            work += uint64_t(std::max(0, std::min<int>(x1 - _originH, _box.right) -
                                             std::max<int>(x0 - _originH, _box.left)));
    if (!Charge(work))
        return false;
    const Pattern& pattern = verb == Verb::Fill    ? fillPattern
                             : verb == Verb::Erase ? backPattern
                                                   : penPattern;
    const int mode = verb == Verb::Fill || verb == Verb::Erase ? 0 : penMode;
    for (std::size_t i = 0; i < spans.rows.size(); ++i) {
        const int y = spans.top + int(i) - _originV;
        if (y < _box.top || y >= _box.bottom)
            continue;
        for (auto [from, to] : spans.rows[i])
            ForVisible(y, from - _originH, to - _originH, [&](int x0, int x1) {
                for (int x = x0; x < x1; ++x) {
                    uint32_t& pixel = Pixel(x, y);
                    if (verb == Verb::Invert)
                        pixel ^= 0x00FFFFFFu;
                    else
                        Apply(pixel, PatternBit(pattern, x, y), mode);
                }
            });
    }
    return true;
}

bool Canvas::Put(const std::vector<uint32_t>& image, const Rect& bounds, const Rect& src,
                 const Placement& p) {
    const double det = p.a * p.d - p.b * p.c;
    if (Width(src) <= 0 || Height(src) <= 0 || !std::isnormal(det) || _box.top >= _box.bottom ||
        _box.left >= _box.right)
        return true;
    // The frame's pixels that the placed rectangle can reach.
    double top = INFINITY, bottom = -INFINITY, left = INFINITY, right = -INFINITY;
    for (int x : {src.left, src.right})
        for (int y : {src.top, src.bottom}) {
            const double h = p.a * x + p.c * y + p.h - _originH;
            const double v = p.b * x + p.d * y + p.v - _originV;
            left = std::min(left, h);
            right = std::max(right, h);
            top = std::min(top, v);
            bottom = std::max(bottom, v);
        }
    const int y0 = int(std::clamp(std::floor(top), double(_box.top), double(_box.bottom)));
    const int y1 = int(std::clamp(std::ceil(bottom), double(_box.top), double(_box.bottom)));
    const int x0 = int(std::clamp(std::floor(left), double(_box.left), double(_box.right)));
    const int x1 = int(std::clamp(std::ceil(right), double(_box.left), double(_box.right)));
    if (y0 >= y1 || x0 >= x1)
        return true;
    if (!Charge(uint64_t(y1 - y0) * uint64_t(x1 - x0)))
        return false;
    // Each pixel takes the image's pixel under its centre, mapped back. Ties between two
    // pixels, as scaling by whole ratios makes them, go to the later one whatever the rounding.
    constexpr double kTie = 1e-7;
    const double ia = p.d / det, ic = -p.c / det, ib = -p.b / det, id = p.a / det;
    const int bw = Width(bounds), bh = Height(bounds);
    for (int y = y0; y < y1; ++y) {
        const double v = y + _originV + 0.5 - p.v;
        ForVisible(y, x0, x1, [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                const double h = x + _originH + 0.5 - p.h;
                const double sx = std::floor(ia * h + ic * v + kTie);
                const double sy = std::floor(ib * h + id * v + kTie);
                if (sx < src.left || sx >= src.right || sy < src.top || sy >= src.bottom)
                    continue;
                const int ix = int(sx) - bounds.left, iy = int(sy) - bounds.top;
                if (ix < 0 || iy < 0 || ix >= bw || iy >= bh)
                    continue;
                Pixel(x, y) = image[std::size_t(iy) * std::size_t(bw) + std::size_t(ix)];
            }
        });
    }
    return true;
}

bool Canvas::NameFont(SInt16 id, const std::string& macRoman) {
    // A look through the whole catalogue.
    constexpr uint64_t kLookupWork = 1024;
    if (!Charge(kLookupWork))
        return false;
    if (const auto* named = fonts::FindFamilyByMacName(
            reinterpret_cast<const unsigned char*>(macRoman.data()), macRoman.size()))
        _fonts[id] = named->id;
    return true;
}

bool Canvas::Text(int h, int v, const std::string& macRoman) {
    const int size = textSize > 0 ? textSize : kDefaultTextSize;
    if (macRoman.empty() || size > kMaxTextSize)
        return true;
    if (!Charge(uint64_t(macRoman.size()) * uint64_t(size) * uint64_t(size)))
        return false;
    fonts::FaceRequest request;
    request.family = systemFont;
    if (textFont != systemFont && fonts::FindFamily(textFont))
        request.family = textFont;
    if (auto named = _fonts.find(textFont); named != _fonts.end())
        request.family = named->second;
    request.face = Style(textFace & fonts::kFaceBits);
    request.width = request.height = int64_t(size) << 6;
    std::u32string text;
    for (unsigned char c : macRoman)
        text.push_back(text::MacRomanToUnicode(c));
    std::vector<GlyphID> glyphs(text.size());
    // Without a font there is no text to draw; the rest of the picture still is.
    if (!fonts::GlyphIndices(request.family, request.face, text.data(), text.size(), glyphs.data()))
        return true;
    fonts::RenderGlyphs(
        request, glyphs.data(), glyphs.size(),
        [&](int x, int y, uint8_t coverage) {
            const int64_t px = int64_t(h) - _originH + x, py = int64_t(v) - _originV + y;
            if (px < INT32_MIN || px > INT32_MAX || py < INT32_MIN || py > INT32_MAX ||
                !Visible(int(px), int(py)))
                return;
            uint32_t& pixel = Pixel(int(px), int(py));
            pixel = Blend(fore, pixel, coverage);
        },
        nullptr);
    return true;
}

} // namespace tbx::pict

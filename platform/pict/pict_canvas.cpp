#include "platform/pict/pict_canvas.h"

#include <algorithm>

#include "platform/fonts/font_catalog.h"
#include "platform/text_encoding.h"

namespace tbx::pict {
namespace {

// Larger text is not drawn: its glyph bitmaps alone would be huge.
constexpr int kMaxTextSize = 1024;
constexpr int kDefaultTextSize = 12;

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
}

bool Canvas::Charge(uint64_t units) {
    if (units > _budget)
        return false;
    _budget -= units;
    return true;
}

RowClip Canvas::Clip(int margin) const {
    return {Frame().top - margin, Frame().bottom + margin};
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
    const Rect& f = Frame();
    uint64_t work = spans.rows.size();
    for (const auto& row : spans.rows)
        for (auto [x0, x1] : row)
            work += uint64_t(std::max(0, std::min<int>(x1, f.right) - std::max<int>(x0, f.left)));
    if (!Charge(work))
        return false;
    const Pattern& pattern = verb == Verb::Fill    ? fillPattern
                             : verb == Verb::Erase ? backPattern
                                                   : penPattern;
    const int mode = verb == Verb::Fill || verb == Verb::Erase ? 0 : penMode;
    for (std::size_t i = 0; i < spans.rows.size(); ++i) {
        const int y = spans.top + int(i);
        if (y < f.top || y >= f.bottom)
            continue;
        uint32_t* line = &_picture.pixels[std::size_t(y - f.top) * std::size_t(Width(f))];
        for (auto [x0, x1] : spans.rows[i])
            for (int x = std::max<int>(x0, f.left); x < std::min<int>(x1, f.right); ++x) {
                uint32_t& pixel = line[x - f.left];
                if (verb == Verb::Invert)
                    pixel ^= 0x00FFFFFFu;
                else
                    Apply(pixel, PatternBit(pattern, x, y), mode);
            }
    }
    return true;
}

bool Canvas::Put(const std::vector<uint32_t>& image, const Rect& bounds, const Rect& src,
                 const Rect& dst) {
    const Rect& f = Frame();
    const int dw = Width(dst), dh = Height(dst), sw = Width(src), sh = Height(src);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return true;
    const int top = std::max(dst.top, f.top), bottom = std::min(dst.bottom, f.bottom);
    const int left = std::max(dst.left, f.left), right = std::min(dst.right, f.right);
    if (top >= bottom || left >= right)
        return true;
    if (!Charge(uint64_t(bottom - top) * uint64_t(right - left)))
        return false;
    const int bw = Width(bounds), bh = Height(bounds);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const int sx = src.left + int(int64_t(x - dst.left) * sw / dw) - bounds.left;
            const int sy = src.top + int(int64_t(y - dst.top) * sh / dh) - bounds.top;
            if (sx < 0 || sy < 0 || sx >= bw || sy >= bh)
                continue;
            _picture
                .pixels[std::size_t(y - f.top) * std::size_t(Width(f)) + std::size_t(x - f.left)] =
                image[std::size_t(sy) * std::size_t(bw) + std::size_t(sx)];
        }
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
    for (const auto& [id, name] : fontNames)
        if (id == textFont) {
            const auto* named = fonts::FindFamilyByMacName(
                reinterpret_cast<const unsigned char*>(name.data()), name.size());
            if (named)
                request.family = named->id;
        }
    request.face = Style(textFace & fonts::kFaceBits);
    request.width = request.height = int64_t(size) << 6;
    std::u32string text;
    for (unsigned char c : macRoman)
        text.push_back(text::MacRomanToUnicode(c));
    std::vector<GlyphID> glyphs(text.size());
    // Without a font there is no text to draw; the rest of the picture still is.
    if (!fonts::GlyphIndices(request.family, request.face, text.data(), text.size(), glyphs.data()))
        return true;
    const Rect& f = Frame();
    fonts::RenderGlyphs(
        request, glyphs.data(), glyphs.size(),
        [&](int x, int y, uint8_t coverage) {
            const int64_t px = int64_t(h) + x, py = int64_t(v) + y;
            if (px < f.left || px >= f.right || py < f.top || py >= f.bottom)
                return;
            uint32_t& pixel = _picture.pixels[std::size_t(py - f.top) * std::size_t(Width(f)) +
                                              std::size_t(px - f.left)];
            pixel = Blend(fore, pixel, coverage);
        },
        nullptr);
    return true;
}

} // namespace tbx::pict

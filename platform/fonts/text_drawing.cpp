#include "platform/fonts/text_drawing.h"

#include <algorithm>
#include <vector>

#include "platform/fonts/font_catalog.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/text_state.h"

namespace tbx {
namespace {

constexpr SInt16 kDefaultSize = 12;

bool Request(fonts::FaceRequest& request) {
    CGrafPtr port = nullptr;
    GetGWorld(&port, nullptr);
    if (!port)
        return false;
    const SInt16 size = GetPortTextSize(port);
    request.family = GetPortTextFont(port);
    request.face = GetPortTextFace(port);
    request.width = request.height = int64_t(size > 0 ? size : kDefaultSize) << 6;
    return true;
}

bool Glyphs(const fonts::FaceRequest& request, const char32_t* text, std::size_t count,
            std::vector<GlyphID>& glyphs) {
    glyphs.assign(count, 0);
    return text && fonts::GlyphIndices(request.family, request.face, text, count, glyphs.data());
}

SInt16 Pixels(int64_t advance) {
    return SInt16(std::clamp<int64_t>((advance + 0x8000) >> 16, 0, 0x7FFF));
}

} // namespace

SInt16 UnicodeTextWidth(const char32_t* text, std::size_t count) {
    fonts::FaceRequest request;
    std::vector<GlyphID> glyphs;
    int64_t advance = 0;
    if (!Request(request) || !Glyphs(request, text, count, glyphs) ||
        !fonts::RenderGlyphs(
            request, glyphs.data(), count, [](int, int, uint8_t) {}, &advance))
        return 0;
    return Pixels(advance);
}

OSErr DrawUnicodeText(const char32_t* text, std::size_t count) {
    fonts::FaceRequest request;
    std::vector<GlyphID> glyphs;
    RGBColor fore;
    Point pen;
    if (!Request(request) || GetForeColor(&fore) != noErr || GetPen(&pen) != noErr)
        return paramErr;
    if (!Glyphs(request, text, count, glyphs))
        return kATSUInvalidFontErr;
    int64_t advance = 0;
    const bool drawn = fonts::RenderGlyphs(
        request, glyphs.data(), count,
        [&](int x, int y, uint8_t coverage) {
            const int h = pen.h + x, v = pen.v + y;
            if (h < INT16_MIN || h > INT16_MAX || v < INT16_MIN || v > INT16_MAX)
                return;
            RGBColor under;
            if (GetCPixel(SInt16(h), SInt16(v), &under) != noErr)
                return;
            auto mix = [coverage](UInt16 top, UInt16 bottom) {
                return UInt16((uint32_t(top) * coverage + uint32_t(bottom) * (255u - coverage)) /
                              255u);
            };
            const RGBColor color{mix(fore.red, under.red), mix(fore.green, under.green),
                                 mix(fore.blue, under.blue)};
            SetCPixel(SInt16(h), SInt16(v), &color);
        },
        &advance);
    if (!drawn)
        return kATSUInvalidFontErr;
    MoveTo(SInt16(std::clamp<int64_t>(pen.h + Pixels(advance), INT16_MIN, INT16_MAX)), pen.v);
    return noErr;
}

} // namespace tbx

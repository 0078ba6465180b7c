#include "platform/fonts/font_manager.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/fonts/font_catalog.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/text_state.h"

namespace tbx {
namespace {

constexpr SInt16 kDefaultSize = 12;

std::atomic<bool> gOutlinePreferred{false};
std::atomic<bool> gPreserveGlyph{false};

void SetName(Str255 name, const std::string& text) {
    std::size_t length = std::min<std::size_t>(text.size(), 255);
    name[0] = static_cast<unsigned char>(length);
    std::memcpy(name + 1, text.data(), length);
}

Fixed Saturate(int64_t value) {
    return Fixed(std::clamp<int64_t>(value, std::numeric_limits<Fixed>::min(),
                                     std::numeric_limits<Fixed>::max()));
}

SInt16 Saturate16(int64_t value) {
    return SInt16(std::clamp<int64_t>(value, -0x8000, 0x7FFF));
}

// Whole pixels from 16.16, rounded towards minus or plus infinity.
int64_t Floor(int64_t fixed) {
    return fixed >> 16;
}
int64_t Ceil(int64_t fixed) {
    return (fixed + 0xFFFF) >> 16;
}

// The current port's text state as a request for one em of size × scale; the status of
// failure otherwise.
OSErr CurrentRequest(Point numer, Point denom, fonts::FaceRequest& request) {
    CGrafPtr port = nullptr;
    GetGWorld(&port, nullptr);
    Rect bounds;
    if (!GetPortBounds(port, &bounds))
        return paramErr;
    int64_t size = GetPortTextSize(port);
    if (size == 0)
        size = kDefaultSize;
    if (size < 0 || numer.h <= 0 || numer.v <= 0 || denom.h <= 0 || denom.v <= 0)
        return paramErr;
    request.family = GetPortTextFont(port);
    request.face = GetPortTextFace(port);
    request.width = size * 64 * numer.h / denom.h;
    request.height = size * 64 * numer.v / denom.v;
    if (!fonts::FindFamily(request.family))
        return kFMInvalidFontFamilyErr;
    return noErr;
}

} // namespace

FMFontFamily GetSysFont() {
    return fonts::kSystemFamilyId;
}

OSStatus FMGetFontFamilyName(FMFontFamily family, Str255 name) {
    if (!name)
        return paramErr;
    name[0] = 0;
    const fonts::Family* found = fonts::FindFamily(family);
    if (!found)
        return kFMInvalidFontFamilyErr;
    SetName(name, found->macName);
    return noErr;
}

OSErr GetFontName(SInt16 family, Str255 name) {
    if (!name)
        return paramErr;
    FMGetFontFamilyName(family, name);
    return noErr;
}

OSStatus FMGetFontFamilyTextEncoding(FMFontFamily family, TextEncoding* encoding) {
    if (!encoding)
        return paramErr;
    if (!fonts::FindFamily(family))
        return kFMInvalidFontFamilyErr;
    *encoding = kTextEncodingMacRoman;
    return noErr;
}

OSErr GetFNum(ConstStr255Param name, SInt16* family) {
    if (!family)
        return paramErr;
    *family = 0;
    if (!name)
        return paramErr;
    if (const fonts::Family* found = fonts::FindFamilyByMacName(name + 1, name[0]))
        *family = found->id;
    return noErr;
}

FMFontFamily FMGetFontFamilyFromName(ConstStr255Param name) {
    const fonts::Family* found = name ? fonts::FindFamilyByMacName(name + 1, name[0]) : nullptr;
    return found ? found->id : kInvalidFontFamily;
}

OSErr SetOutlinePreferred(Boolean outlinePreferred) {
    gOutlinePreferred = outlinePreferred != 0;
    return noErr;
}

Boolean GetOutlinePreferred() {
    return gOutlinePreferred;
}

OSErr SetPreserveGlyph(Boolean preserveGlyph) {
    gPreserveGlyph = preserveGlyph != 0;
    return noErr;
}

Boolean GetPreserveGlyph() {
    return gPreserveGlyph;
}

OSErr FontMetrics(FMetricRec* metrics) {
    if (!metrics)
        return paramErr;
    *metrics = FMetricRec{};
    fonts::FaceRequest request;
    OSErr status = CurrentRequest(Point{1, 1}, Point{1, 1}, request);
    if (status != noErr)
        return status;
    fonts::LineMetrics line;
    if (!fonts::MeasureLine(request, line))
        return kFMInvalidFontFamilyErr;
    metrics->ascent = Saturate(line.ascent);
    metrics->descent = Saturate(line.descent);
    metrics->leading = Saturate(line.leading);
    metrics->widMax = Saturate(line.maxAdvance);
    return noErr;
}

OSErr OutlineMetrics(SInt16 byteCount, const void* textPtr, Point numer, Point denom, SInt16* yMax,
                     SInt16* yMin, Fixed* awArray, Fixed* lsbArray, Rect* boundsArray) {
    if (byteCount < 0 || (byteCount > 0 && !textPtr))
        return paramErr;
    fonts::FaceRequest request;
    OSErr status = CurrentRequest(numer, denom, request);
    if (status != noErr)
        return status;

    const std::size_t count = std::size_t(byteCount);
    const auto* bytes = static_cast<const unsigned char*>(textPtr);
    std::vector<char32_t> chars(count);
    for (std::size_t i = 0; i < count; ++i)
        chars[i] = text::MacRomanToUnicode(bytes[i]);
    std::vector<GlyphID> glyphs(count);
    std::vector<fonts::GlyphBox> boxes(count);
    if (!fonts::GlyphIndices(request.family, request.face, chars.data(), count, glyphs.data()) ||
        !fonts::MeasureGlyphs(request, glyphs.data(), count, boxes.data()))
        return kFMInvalidFontFamilyErr;

    int64_t highest = 0, lowest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const fonts::GlyphBox& box = boxes[i];
        if (awArray)
            awArray[i] = Saturate(box.advance);
        if (lsbArray)
            lsbArray[i] = Saturate(box.xMin);
        if (boundsArray) {
            Rect& r = boundsArray[i];
            r.left = Saturate16(Floor(box.xMin));
            r.right = Saturate16(Ceil(box.xMax));
            r.top = Saturate16(-Ceil(box.yMax));
            r.bottom = Saturate16(-Floor(box.yMin));
        }
        highest = i == 0 ? Ceil(box.yMax) : std::max(highest, Ceil(box.yMax));
        lowest = i == 0 ? Floor(box.yMin) : std::min(lowest, Floor(box.yMin));
    }
    if (yMax)
        *yMax = Saturate16(highest);
    if (yMin)
        *yMin = Saturate16(lowest);
    return noErr;
}

} // namespace tbx

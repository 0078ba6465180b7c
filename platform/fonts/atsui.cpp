#include "platform/fonts/atsui.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/fonts/font_catalog.h"
#include "platform/handle_table.h"

namespace tbx {
namespace {

constexpr Fixed kDefaultSize = Long2Fix(12);

struct Layout {
    UniCharArrayOffset offset = 0;
    std::vector<UniChar> text;
    std::vector<std::pair<UniCharCount, ATSUStyle>> runs;

    ATSUStyle StyleAt(std::size_t index) const {
        for (const auto& [length, style] : runs) {
            if (index < length)
                return style;
            index -= length;
        }
        return runs.empty() ? nullptr : runs.back().second;
    }
};

TypedHandleTable<ATSUTextLayout, Layout>& Layouts() {
    static TypedHandleTable<ATSUTextLayout, Layout> table;
    return table;
}

ATSUFontID EncodeFont(FMFontFamily family, Style face) {
    return (ATSUFontID(UInt16(family)) << 16) | ATSUFontID(face & fonts::kFaceBits);
}

bool FlagSet(ATSUStyle style, ATSUAttributeTag tag) {
    Boolean value = false;
    return ATSUGetAttribute(style, tag, sizeof value, &value, nullptr) == noErr && value;
}

// The family, face and size that a style asks for; the status of failure otherwise.
OSStatus StyleRequest(ATSUStyle style, fonts::FaceRequest& request) {
    ATSUFontID font = kATSUInvalidFontID;
    OSStatus status = ATSUGetAttribute(style, kATSUFontTag, sizeof font, &font, nullptr);
    if (status == kATSUInvalidStyleErr)
        return status;
    if (status == noErr) {
        request.family = FMFontFamily(font >> 16);
        request.face = Style(font & fonts::kFaceBits);
    } else {
        request.family = fonts::kSystemFamilyId;
        request.face = normal;
    }
    if (FlagSet(style, kATSUQDBoldfaceTag))
        request.face |= bold;
    if (FlagSet(style, kATSUQDItalicTag))
        request.face |= italic;
    Fixed size = kDefaultSize;
    ATSUGetAttribute(style, kATSUSizeTag, sizeof size, &size, nullptr);
    if (size <= 0)
        return paramErr;
    request.width = request.height = (int64_t(size) + 512) >> 10; // 16.16 to 26.6
    if (!fonts::FindFamily(request.family))
        return kATSUInvalidFontErr;
    return noErr;
}

} // namespace

OSStatus ATSUFONDtoFontID(FMFontFamily family, FMFontStyle style, ATSUFontID* font) {
    if (!font)
        return paramErr;
    *font = kATSUInvalidFontID;
    const fonts::Family* found = fonts::FindFamily(family);
    if (!found)
        return kATSUInvalidFontErr;
    *font = EncodeFont(found->id, Style(style & 0xFF));
    return noErr;
}

OSStatus ATSUCreateTextLayoutWithTextPtr(const UniChar* text, UniCharArrayOffset offset,
                                         UniCharCount length, UniCharCount totalLength,
                                         ItemCount numberOfRuns, const UniCharCount runLengths[],
                                         ATSUStyle styles[], ATSUTextLayout* layout) {
    if (!layout)
        return paramErr;
    *layout = nullptr;
    if (!text || offset > totalLength || length > totalLength - offset ||
        (numberOfRuns && (!runLengths || !styles)))
        return paramErr;
    auto made = std::make_unique<Layout>();
    UniCharCount covered = 0;
    for (ItemCount i = 0; i < numberOfRuns; ++i) {
        if (runLengths[i] > length - covered)
            return paramErr;
        covered += runLengths[i];
        made->runs.emplace_back(runLengths[i], styles[i]);
    }
    if (covered != length)
        return paramErr;
    made->offset = offset;
    made->text.assign(text + offset, text + offset + length);
    *layout = Layouts().Add(std::move(made));
    return noErr;
}

OSStatus ATSUDisposeTextLayout(ATSUTextLayout layout) {
    return Layouts().Remove(layout) ? OSStatus(noErr) : OSStatus(kATSUInvalidTextLayoutErr);
}

OSStatus ATSUGetGlyphInfo(ATSUTextLayout layout, UniCharArrayOffset lineStart,
                          UniCharCount lineLength, ByteCount* ioBufferSize,
                          ATSUGlyphInfoArray* glyphInfo) {
    const Layout* found = Layouts().Get(layout);
    if (!found)
        return kATSUInvalidTextLayoutErr;
    const std::size_t size = found->text.size();
    if (!ioBufferSize || lineStart < found->offset || lineStart - found->offset > size ||
        lineLength > size - (lineStart - found->offset))
        return paramErr;

    std::vector<ATSUGlyphInfo> glyphs;
    const std::size_t end = lineStart - found->offset + lineLength;
    for (std::size_t i = lineStart - found->offset; i < end;) {
        char32_t c = found->text[i];
        std::size_t units = 1;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < end && found->text[i + 1] >= 0xDC00 &&
            found->text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (found->text[i + 1] - 0xDC00);
            units = 2;
        }
        ATSUGlyphInfo info;
        info.charIndex = found->offset + i;
        info.style = found->StyleAt(i);
        fonts::FaceRequest request;
        OSStatus status = StyleRequest(info.style, request);
        if (status != noErr)
            return status;
        if (!fonts::GlyphIndices(request.family, request.face, &c, 1, &info.glyphID))
            return kATSUInvalidFontErr;
        glyphs.push_back(info);
        i += units;
    }

    const std::size_t header = offsetof(ATSUGlyphInfoArray, glyphs);
    auto bytesFor = [&](std::size_t n) {
        return header + std::max<std::size_t>(n, 1) * sizeof(ATSUGlyphInfo);
    };
    if (!glyphInfo) {
        *ioBufferSize = bytesFor(glyphs.size());
        return noErr;
    }
    if (*ioBufferSize < sizeof(ATSUGlyphInfoArray))
        return paramErr;
    const std::size_t fit = (*ioBufferSize - header) / sizeof(ATSUGlyphInfo);
    const std::size_t count = std::min(glyphs.size(), fit);
    glyphInfo->layout = layout;
    glyphInfo->numGlyphs = count;
    ATSUGlyphInfo* out = glyphInfo->glyphs;
    for (std::size_t i = 0; i < count; ++i)
        out[i] = glyphs[i];
    *ioBufferSize = bytesFor(count);
    return noErr;
}

OSStatus ATSUGlyphGetIdealMetrics(ATSUStyle style, ItemCount numOfGlyphs, const GlyphID glyphIDs[],
                                  ByteOffset inputOffset, ATSGlyphIdealMetrics idealMetrics[]) {
    if (numOfGlyphs && (!glyphIDs || !idealMetrics))
        return paramErr;
    fonts::FaceRequest request;
    OSStatus status = StyleRequest(style, request);
    if (status != noErr)
        return status;
    if (inputOffset == 0)
        inputOffset = sizeof(GlyphID);
    std::vector<GlyphID> ids(numOfGlyphs);
    const auto* base = reinterpret_cast<const unsigned char*>(glyphIDs);
    for (ItemCount i = 0; i < numOfGlyphs; ++i)
        std::memcpy(&ids[i], base + i * inputOffset, sizeof(GlyphID));
    std::vector<fonts::GlyphBox> boxes(numOfGlyphs);
    if (!fonts::MeasureGlyphs(request, ids.data(), numOfGlyphs, boxes.data()))
        return kATSUInvalidFontErr;
    for (ItemCount i = 0; i < numOfGlyphs; ++i) {
        const fonts::GlyphBox& box = boxes[i];
        ATSGlyphIdealMetrics& m = idealMetrics[i];
        m = ATSGlyphIdealMetrics{};
        m.advance.x = float(double(box.advance) / 65536.0);
        m.sideBearing.x = float(double(box.xMin) / 65536.0);
        m.otherSideBearing.x = float(double(box.advance - box.xMax) / 65536.0);
    }
    return noErr;
}

} // namespace tbx

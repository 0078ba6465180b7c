#include "swf/styles/style_parts.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

std::unique_ptr<CBK_SwfColor> SwfCopyColor(const CBK_SwfColor* color) {
    if (!color)
        return nullptr;
    if (const auto* rgba = dynamic_cast<const CBK_SwfColorAlpha*>(color))
        return std::make_unique<CBK_SwfColorAlpha>(*rgba);
    return std::make_unique<CBK_SwfColor>(color->red, color->green, color->blue);
}

std::unique_ptr<CBK_SwfColor> SwfNewColor(bool alpha) {
    if (alpha)
        return std::make_unique<CBK_SwfColorAlpha>(0, 0, 0, 255);
    return std::make_unique<CBK_SwfColor>(0, 0, 0);
}

std::unique_ptr<CBK_SwfColor> SwfNewColor(uint32_t packed, bool alpha) {
    const auto r = static_cast<uint8_t>(packed);
    const auto g = static_cast<uint8_t>(packed >> 8);
    const auto b = static_cast<uint8_t>(packed >> 16);
    if (alpha)
        return std::make_unique<CBK_SwfColorAlpha>(r, g, b, 255);
    return std::make_unique<CBK_SwfColor>(r, g, b);
}

void SwfWriteColor(CBK_SwfStream* stream, CBK_SwfColor* color, bool alpha) {
    if (color) {
        color->Write(stream);
        return;
    }
    SwfNewColor(alpha)->Write(stream);
}

void SwfWriteMatrix(CBK_SwfStream* stream, CBK_SwfMatrix* matrix) {
    if (matrix) {
        matrix->Write(stream);
        return;
    }
    CBK_SwfMatrix empty;
    empty.Write(stream);
}

std::unique_ptr<CBK_SwfMatrix> SwfCopyMatrix(const CBK_SwfMatrix* matrix) {
    return matrix ? std::make_unique<CBK_SwfMatrix>(*matrix) : nullptr;
}

uint32_t SwfWriteStyleCount(CBK_SwfStream* stream, std::size_t count) {
    const auto n = static_cast<uint32_t>(std::min<std::size_t>(count, kSwfMaxStyleCount));
    if (n < 0xFF) {
        stream->Add(static_cast<uint8_t>(n));
    } else {
        stream->Add(uint8_t(0xFF));
        stream->Add(static_cast<uint16_t>(n));
    }
    return n;
}

uint32_t SwfReadStyleCount(CBK_SwfReader* reader) {
    uint32_t count = reader->GetByte();
    if (count == 0xFF)
        count = reader->GetWord();
    return count;
}

} // namespace ravuz

#include "swf/styles/line_style.h"

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

// ---- CBK_SwfLineStyle

CBK_SwfLineStyle& CBK_SwfLineStyle::operator=(const CBK_SwfLineStyle& other) {
    if (this != &other) {
        _width = other._width;
        _color = SwfCopyColor(other._color.get());
        _alpha = other._alpha;
    }
    return *this;
}

void CBK_SwfLineStyle::Create(uint16_t width, CBK_SwfColor* color, bool alpha) {
    _width = width;
    _color.reset(color);
    _alpha = alpha;
}

uint32_t CBK_SwfLineStyle::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _width = reader->GetWord();
    if (!reader->ChargeObject<CBK_SwfColorAlpha>())
        return reader->GetBufPos() - start;
    _color = SwfNewColor(_alpha);
    _color->Read(reader);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfLineStyle::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_width);
    SwfWriteColor(stream, _color.get(), _alpha);
    return stream->GetByteCount() - before;
}

} // namespace ravuz

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

// ---- CBK_SwfLineStyleArray

CBK_SwfLineStyleArray& CBK_SwfLineStyleArray::operator=(const CBK_SwfLineStyleArray& other) {
    if (this != &other) {
        Destroy();
        _alpha = other._alpha;
        for (const auto& style : other._styles)
            _styles.push_back(std::make_unique<CBK_SwfLineStyle>(*style));
    }
    return *this;
}

void CBK_SwfLineStyleArray::AddLineStyle(CBK_SwfLineStyle* style) {
    if (style)
        _styles.emplace_back(style);
}

uint32_t CBK_SwfLineStyleArray::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    const uint32_t count = SwfReadStyleCount(reader);
    const uint32_t size = _alpha ? 6 : 5;
    for (uint32_t i = 0; i < count && reader->GetRemaining() >= size; ++i) {
        auto style = std::make_unique<CBK_SwfLineStyle>(0, nullptr, _alpha);
        style->Read(reader);
        _styles.push_back(std::move(style));
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfLineStyleArray::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint32_t count = SwfWriteStyleCount(stream, _styles.size());
    for (uint32_t i = 0; i < count; ++i)
        _styles[i]->Write(stream);
    return stream->GetByteCount() - before;
}

} // namespace ravuz

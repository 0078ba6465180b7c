#include "swf/styles/fill_style.h"

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

// ---- CBK_SwfFillStyle

CBK_SwfFillStyle::CBK_SwfFillStyle(CBK_SwfColor* color, bool alpha)
    : _alpha(alpha), _color(color) {}

CBK_SwfFillStyle& CBK_SwfFillStyle::operator=(const CBK_SwfFillStyle& other) {
    if (this != &other) {
        _alpha = other._alpha;
        _type = other._type;
        _bitmapId = other._bitmapId;
        _color = SwfCopyColor(other._color.get());
        _gradient = other._gradient ? std::make_unique<CBK_SwfGradient>(*other._gradient) : nullptr;
        _matrix = SwfCopyMatrix(other._matrix.get());
    }
    return *this;
}

void CBK_SwfFillStyle::Create(CBK_SwfColor* color, bool alpha) {
    Destroy();
    _type = SOLID_FILL;
    _color.reset(color);
    _alpha = alpha;
    _bitmapId = 0;
}

void CBK_SwfFillStyle::Create(uint8_t type, uint16_t bitmapId, CBK_SwfMatrix* matrix) {
    Destroy();
    _type = type;
    _bitmapId = bitmapId;
    _matrix.reset(matrix);
    _alpha = false;
}

void CBK_SwfFillStyle::Destroy() {
    _color.reset();
    _gradient.reset();
    _matrix.reset();
}

uint32_t CBK_SwfFillStyle::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    _type = reader->GetByte();
    if (_type == SOLID_FILL) {
        if (!reader->ChargeObject<CBK_SwfColorAlpha>())
            return reader->GetBufPos() - start;
        _color = SwfNewColor(_alpha);
        _color->Read(reader);
    } else if (IsGradientType(_type)) {
        if (!reader->Charge(SwfHeapCost(sizeof(CBK_SwfMatrix)) +
                            SwfHeapCost(sizeof(CBK_SwfGradient))))
            return reader->GetBufPos() - start;
        _matrix = std::make_unique<CBK_SwfMatrix>();
        _matrix->Read(reader);
        _gradient = std::make_unique<CBK_SwfGradient>(_alpha);
        _gradient->Read(reader);
    } else if (IsBitmapType(_type)) {
        if (!reader->ChargeObject<CBK_SwfMatrix>())
            return reader->GetBufPos() - start;
        _bitmapId = reader->GetWord();
        _matrix = std::make_unique<CBK_SwfMatrix>();
        _matrix->Read(reader);
    }
    reader->ByteAlign();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfFillStyle::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_type);
    if (_type == SOLID_FILL) {
        SwfWriteColor(stream, _color.get(), _alpha);
    } else if (IsGradientType(_type)) {
        SwfWriteMatrix(stream, _matrix.get());
        if (_gradient) {
            _gradient->Write(stream);
        } else {
            CBK_SwfGradient empty(_alpha);
            empty.Write(stream);
        }
    } else if (IsBitmapType(_type)) {
        stream->Add(_bitmapId);
        SwfWriteMatrix(stream, _matrix.get());
    }
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

void CBK_SwfFillStyle::OffsetBitmapId(int32_t idOffset) {
    if (IsBitmapType(_type) && _bitmapId != kNoBitmap)
        _bitmapId = OffsetU16(_bitmapId, idOffset);
}

// ---- CBK_SwfFillStyleArray

void CBK_SwfFillStyleArray::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    for (auto& style : _styles)
        style->OffsetBitmapId(idOffset);
}

} // namespace ravuz

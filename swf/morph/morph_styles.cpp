#include "swf/morph/morph_styles.h"

#include <algorithm>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

namespace {

std::unique_ptr<CBK_SwfColorAlpha> CopyOf(const std::unique_ptr<CBK_SwfColorAlpha>& color) {
    return color ? std::make_unique<CBK_SwfColorAlpha>(*color) : nullptr;
}

// Each charged before it is made; none when refused, as the reading stops then.
std::unique_ptr<CBK_SwfColorAlpha> ReadColor(CBK_SwfReader* reader) {
    if (!reader->ChargeObject<CBK_SwfColorAlpha>())
        return nullptr;
    auto color = std::make_unique<CBK_SwfColorAlpha>(0, 0, 0, 255);
    color->Read(reader);
    return color;
}

void WriteColor(CBK_SwfStream* stream, CBK_SwfColorAlpha* color) {
    SwfWriteColor(stream, color, true);
}

// A matrix of a morph fill ends on a byte boundary.
void WriteMatrix(CBK_SwfStream* stream, CBK_SwfMatrix* matrix) {
    SwfWriteMatrix(stream, matrix);
    stream->ByteAlign();
}

std::unique_ptr<CBK_SwfMatrix> ReadMatrix(CBK_SwfReader* reader) {
    if (!reader->ChargeObject<CBK_SwfMatrix>())
        return nullptr;
    auto matrix = std::make_unique<CBK_SwfMatrix>();
    matrix->Read(reader);
    reader->ByteAlign();
    return matrix;
}

} // namespace

// ---- CBK_SwfMorphGradientRecord

CBK_SwfMorphGradientRecord&
CBK_SwfMorphGradientRecord::operator=(const CBK_SwfMorphGradientRecord& other) {
    if (this != &other) {
        _startColor = CopyOf(other._startColor);
        _endColor = CopyOf(other._endColor);
        _startRatio = other._startRatio;
        _endRatio = other._endRatio;
    }
    return *this;
}

void CBK_SwfMorphGradientRecord::Destroy() {
    _startColor.reset();
    _endColor.reset();
}

uint32_t CBK_SwfMorphGradientRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    _startRatio = reader->GetByte();
    _startColor = ReadColor(reader);
    _endRatio = reader->GetByte();
    _endColor = ReadColor(reader);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfMorphGradientRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_startRatio);
    WriteColor(stream, _startColor.get());
    stream->Add(_endRatio);
    WriteColor(stream, _endColor.get());
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfMorphGradient

CBK_SwfMorphGradient& CBK_SwfMorphGradient::operator=(const CBK_SwfMorphGradient& other) {
    if (this != &other) {
        Destroy();
        for (const auto& record : other._records)
            _records.push_back(std::make_unique<CBK_SwfMorphGradientRecord>(*record));
    }
    return *this;
}

void CBK_SwfMorphGradient::AddRecord(CBK_SwfMorphGradientRecord* record) {
    if (record)
        _records.emplace_back(record);
}

uint32_t CBK_SwfMorphGradient::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    const uint32_t count = reader->GetByte();
    for (uint32_t i = 0;
         i < count && reader->GetRemaining() >= CBK_SwfMorphGradientRecord::kWireSize; ++i) {
        if (!reader->ChargeRoomForOne(_records) ||
            !reader->ChargeObject<CBK_SwfMorphGradientRecord>())
            break;
        auto record = std::make_unique<CBK_SwfMorphGradientRecord>();
        record->Read(reader);
        _records.push_back(std::move(record));
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfMorphGradient::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const std::size_t count = std::min(_records.size(), kMaxRecords);
    stream->Add(static_cast<uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i)
        _records[i]->Write(stream);
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfMorphFillStyle

CBK_SwfMorphFillStyle& CBK_SwfMorphFillStyle::operator=(const CBK_SwfMorphFillStyle& other) {
    if (this != &other) {
        _type = other._type;
        _startColor = CopyOf(other._startColor);
        _endColor = CopyOf(other._endColor);
        _gradient =
            other._gradient ? std::make_unique<CBK_SwfMorphGradient>(*other._gradient) : nullptr;
        _startMatrix = SwfCopyMatrix(other._startMatrix.get());
        _endMatrix = SwfCopyMatrix(other._endMatrix.get());
        _bitmapId = other._bitmapId;
    }
    return *this;
}

void CBK_SwfMorphFillStyle::Create() {
    Destroy();
    _type = SOLID_FILL;
    _bitmapId = 0;
}

void CBK_SwfMorphFillStyle::Destroy() {
    _startColor.reset();
    _endColor.reset();
    _gradient.reset();
    _startMatrix.reset();
    _endMatrix.reset();
}

uint32_t CBK_SwfMorphFillStyle::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    _type = reader->GetByte();
    if (_type == SOLID_FILL) {
        _startColor = ReadColor(reader);
        _endColor = ReadColor(reader);
    } else if (IsGradientType(_type)) {
        _startMatrix = ReadMatrix(reader);
        _endMatrix = ReadMatrix(reader);
        if (!reader->ChargeObject<CBK_SwfMorphGradient>())
            return reader->GetBufPos() - start;
        _gradient = std::make_unique<CBK_SwfMorphGradient>();
        _gradient->Read(reader);
        reader->ByteAlign();
    } else if (IsBitmapType(_type)) {
        _bitmapId = reader->GetWord();
        _startMatrix = ReadMatrix(reader);
        _endMatrix = ReadMatrix(reader);
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfMorphFillStyle::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_type);
    if (_type == SOLID_FILL) {
        WriteColor(stream, _startColor.get());
        WriteColor(stream, _endColor.get());
    } else if (IsGradientType(_type)) {
        WriteMatrix(stream, _startMatrix.get());
        WriteMatrix(stream, _endMatrix.get());
        if (_gradient) {
            _gradient->Write(stream);
        } else {
            CBK_SwfMorphGradient empty;
            empty.Write(stream);
        }
    } else if (IsBitmapType(_type)) {
        stream->Add(_bitmapId);
        WriteMatrix(stream, _startMatrix.get());
        WriteMatrix(stream, _endMatrix.get());
    }
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

void CBK_SwfMorphFillStyle::OffsetBitmapId(int32_t idOffset) {
    if (IsBitmapType(_type) && _bitmapId != kNoBitmap)
        _bitmapId = OffsetU16(_bitmapId, idOffset);
}

// ---- CBK_SwfMorphLineStyle

CBK_SwfMorphLineStyle& CBK_SwfMorphLineStyle::operator=(const CBK_SwfMorphLineStyle& other) {
    if (this != &other) {
        _startWidth = other._startWidth;
        _endWidth = other._endWidth;
        _startColor = CopyOf(other._startColor);
        _endColor = CopyOf(other._endColor);
    }
    return *this;
}

void CBK_SwfMorphLineStyle::Destroy() {
    _startColor.reset();
    _endColor.reset();
}

uint32_t CBK_SwfMorphLineStyle::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    _startWidth = reader->GetWord();
    _endWidth = reader->GetWord();
    _startColor = ReadColor(reader);
    _endColor = ReadColor(reader);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfMorphLineStyle::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_startWidth);
    stream->Add(_endWidth);
    WriteColor(stream, _startColor.get());
    WriteColor(stream, _endColor.get());
    return stream->GetByteCount() - before;
}

// ---- arrays

void CBK_SwfMorphFillStyleArray::OffsetInfo(int32_t idOffset) {
    for (auto& style : _styles)
        style->OffsetBitmapId(idOffset);
}

} // namespace ravuz

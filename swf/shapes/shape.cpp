#include "swf/shapes/shape.h"
#include "swf/shapes/shape_records.h"

#include <algorithm>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

namespace {

// The widths that a 4-bit field can announce.
uint8_t FieldWidth(uint32_t bits) {
    return static_cast<uint8_t>(std::min<uint32_t>(bits, 15));
}

// Index width of a style array: the significant bits of the count written.
uint8_t StyleBits(uint32_t count) {
    return FieldWidth(MinimumBits(std::min(count, kSwfMaxStyles), false));
}

} // namespace

// ---- CBK_SwfShape

CBK_SwfShape::CBK_SwfShape(const CBK_SwfShape& other) : CBK_SwfObj() {
    CBK_SwfShape::operator=(other);
}

CBK_SwfShape::~CBK_SwfShape() = default;

CBK_SwfShape& CBK_SwfShape::operator=(const CBK_SwfShape& other) {
    if (this != &other)
        CopyRecords(other);
    return *this;
}

void CBK_SwfShape::CopyRecords(const CBK_SwfShape& other) {
    DestroyRecords();
    _alpha = other._alpha;
    _fillBits = other._fillBits;
    _lineBits = other._lineBits;
    _currentFillBits = other._currentFillBits;
    _currentLineBits = other._currentLineBits;
    for (const auto& record : other._records) {
        switch (record->GetShapeType()) {
        case CBK_SwfShapeRecord::kStyleChange: {
            auto copy = std::make_unique<CBK_SwfStyleChangeShapeRecord>(
                static_cast<const CBK_SwfStyleChangeShapeRecord&>(*record));
            const uint16_t fillBits = copy->GetFillBits(), lineBits = copy->GetLineBits();
            copy->SetParentShape(this);
            copy->SetFillBits(fillBits);
            copy->SetLineBits(lineBits);
            _records.push_back(std::move(copy));
            break;
        }
        case CBK_SwfShapeRecord::kStraightEdge:
            _records.push_back(std::make_unique<CBK_SwfStraightEdgeShapeRecord>(
                static_cast<const CBK_SwfStraightEdgeShapeRecord&>(*record)));
            break;
        case CBK_SwfShapeRecord::kCurvedEdge:
            _records.push_back(std::make_unique<CBK_SwfCurvedEdgeShapeRecord>(
                static_cast<const CBK_SwfCurvedEdgeShapeRecord&>(*record)));
            break;
        case CBK_SwfShapeRecord::kEndOfShape:
            _records.push_back(std::make_unique<CBK_SwfEndOfShapeRecord>());
            break;
        default:
            break;
        }
    }
}

void CBK_SwfShape::Create(uint8_t fillBits, uint8_t lineBits) {
    SetFillBits(fillBits);
    SetLineBits(lineBits);
}

void CBK_SwfShape::Destroy() {
    DestroyRecords();
}

void CBK_SwfShape::AddRecord(CBK_SwfShapeRecord* record) {
    if (!record)
        return;
    if (record->GetShapeType() == CBK_SwfShapeRecord::kStyleChange) {
        auto* change = static_cast<CBK_SwfStyleChangeShapeRecord*>(record);
        if (change->GetParentShape() != this)
            change->SetParentShape(this);
    }
    _records.emplace_back(record);
}

void CBK_SwfShape::AddCurve(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
    AddRecord(new CBK_SwfCurvedEdgeShapeRecord(cdx, cdy, adx, ady));
}

void CBK_SwfShape::AddGeneralLine(int32_t dx, int32_t dy) {
    AddRecord(
        new CBK_SwfStraightEdgeShapeRecord(dx, dy, CBK_SwfStraightEdgeShapeRecord::GENERAL_LINE));
}

void CBK_SwfShape::AddVerticalLine(int32_t dy) {
    AddRecord(
        new CBK_SwfStraightEdgeShapeRecord(0, dy, CBK_SwfStraightEdgeShapeRecord::VERTICAL_LINE));
}

void CBK_SwfShape::AddHorizontalLine(int32_t dx) {
    AddRecord(
        new CBK_SwfStraightEdgeShapeRecord(dx, 0, CBK_SwfStraightEdgeShapeRecord::HORIZONTAL_LINE));
}

void CBK_SwfShape::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) {
    for (auto& record : _records) {
        if (record->GetShapeType() != CBK_SwfShapeRecord::kStyleChange)
            continue;
        auto* change = static_cast<CBK_SwfStyleChangeShapeRecord*>(record.get());
        if (CBK_SwfFillStyleArray* styles = change->GetNewFillStyles())
            styles->OffsetInfo(idOffset, depthOffset, frames);
    }
}

void CBK_SwfShape::ReadRecords(CBK_SwfReader* reader) {
    // Each record is charged before it is made: a flood of edges of a few bits each ends
    // where the movie's budget does.
    while (reader->ChargeRoomForOne(_records)) {
        std::unique_ptr<CBK_SwfShapeRecord> record;
        if (reader->GetBits(1, false)) {
            if (reader->GetBits(1, false)) {
                if (!reader->ChargeObject<CBK_SwfStraightEdgeShapeRecord>())
                    break;
                record = std::make_unique<CBK_SwfStraightEdgeShapeRecord>();
            } else {
                if (!reader->ChargeObject<CBK_SwfCurvedEdgeShapeRecord>())
                    break;
                record = std::make_unique<CBK_SwfCurvedEdgeShapeRecord>();
            }
        } else {
            // Past the end of the data the bits read as 0: the shape ends there.
            const auto flags = static_cast<uint8_t>(reader->GetBits(5, false));
            if (flags == 0 || !reader->ChargeObject<CBK_SwfStyleChangeShapeRecord>())
                break;
            auto change = std::make_unique<CBK_SwfStyleChangeShapeRecord>(flags, this);
            change->SetAlpha(_alpha);
            record = std::move(change);
        }
        record->Read(reader);
        _records.push_back(std::move(record));
    }
    if (reader->ChargeRoomForOne(_records) && reader->ChargeObject<CBK_SwfEndOfShapeRecord>())
        _records.push_back(std::make_unique<CBK_SwfEndOfShapeRecord>());
}

void CBK_SwfShape::WriteRecords(CBK_SwfStream* stream) {
    for (auto& record : _records) {
        if (record->GetShapeType() == CBK_SwfShapeRecord::kStyleChange) {
            // Records always write with the widths of the shape they are in.
            auto* change = static_cast<CBK_SwfStyleChangeShapeRecord*>(record.get());
            if (change->GetParentShape() != this)
                change->SetParentShape(this);
        }
        record->Write(stream);
        // A reader stops at the end record: nothing after it would ever be read.
        if (record->GetShapeType() == CBK_SwfShapeRecord::kEndOfShape)
            return;
    }
    CBK_SwfEndOfShapeRecord end;
    end.Write(stream);
}

uint32_t CBK_SwfShape::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    DestroyRecords();
    _fillBits = _currentFillBits = static_cast<uint8_t>(reader->GetBits(4, false));
    _lineBits = _currentLineBits = static_cast<uint8_t>(reader->GetBits(4, false));
    ReadRecords(reader);
    reader->ByteAlign();
    _currentFillBits = _fillBits;
    _currentLineBits = _lineBits;
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfShape::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    _currentFillBits = FieldWidth(_fillBits);
    _currentLineBits = FieldWidth(_lineBits);
    stream->Add(uint32_t(_currentFillBits), 4);
    stream->Add(uint32_t(_currentLineBits), 4);
    WriteRecords(stream);
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfShapeWithStyle

CBK_SwfShapeWithStyle::CBK_SwfShapeWithStyle(const CBK_SwfShapeWithStyle& other) : CBK_SwfShape() {
    *this = other;
}

CBK_SwfShapeWithStyle::~CBK_SwfShapeWithStyle() = default;

CBK_SwfShapeWithStyle& CBK_SwfShapeWithStyle::operator=(const CBK_SwfShapeWithStyle& other) {
    if (this == &other)
        return *this;
    _fillStyles =
        other._fillStyles ? std::make_unique<CBK_SwfFillStyleArray>(*other._fillStyles) : nullptr;
    _lineStyles =
        other._lineStyles ? std::make_unique<CBK_SwfLineStyleArray>(*other._lineStyles) : nullptr;
    CopyRecords(other);
    return *this;
}

CBK_SwfShape& CBK_SwfShapeWithStyle::operator=(const CBK_SwfShape& other) {
    if (const auto* styled = dynamic_cast<const CBK_SwfShapeWithStyle*>(&other))
        return *this = *styled;
    if (this != &other) {
        _fillStyles.reset();
        _lineStyles.reset();
        CopyRecords(other);
    }
    return *this;
}

void CBK_SwfShapeWithStyle::Destroy() {
    DestroyRecords();
    _fillStyles.reset();
    _lineStyles.reset();
}

uint32_t CBK_SwfShapeWithStyle::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    if (!reader->Charge(SwfHeapCost(sizeof(CBK_SwfFillStyleArray)) +
                        SwfHeapCost(sizeof(CBK_SwfLineStyleArray))))
        return reader->GetBufPos() - start;
    _fillStyles = std::make_unique<CBK_SwfFillStyleArray>(_alpha);
    _fillStyles->Read(reader);
    _lineStyles = std::make_unique<CBK_SwfLineStyleArray>(_alpha);
    _lineStyles->Read(reader);
    CBK_SwfShape::Read(reader);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfShapeWithStyle::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    uint8_t fillBits = 0, lineBits = 0;
    if (_fillStyles && _fillStyles->GetCount()) {
        _fillStyles->Write(stream);
        fillBits = StyleBits(_fillStyles->GetCount());
    } else {
        stream->Add(uint8_t(0));
    }
    if (_lineStyles && _lineStyles->GetCount()) {
        _lineStyles->Write(stream);
        lineBits = StyleBits(_lineStyles->GetCount());
    } else {
        stream->Add(uint8_t(0));
    }
    _fillBits = _currentFillBits = fillBits;
    _lineBits = _currentLineBits = lineBits;
    stream->Add(uint32_t(fillBits), 4);
    stream->Add(uint32_t(lineBits), 4);
    WriteRecords(stream);
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

void SwfAddBoxRecords(CBK_SwfShape& shape, int32_t x, int32_t y, int32_t w, int32_t h, bool fill,
                      bool line) {
    using StyleChange = CBK_SwfStyleChangeShapeRecord;
    auto* move = new StyleChange(x, y, &shape);
    uint8_t flags = StyleChange::MOVE_TO_FLAG;
    if (fill) {
        move->SetFillStyle(1, 1);
        flags |= StyleChange::FILL_STYLE_1_FLAG;
    }
    if (line) {
        move->SetLineStyle(1);
        flags |= StyleChange::LINE_STYLE_FLAG;
    }
    move->SetFlags(flags);
    shape.AddRecord(move);
    shape.AddHorizontalLine(w);
    shape.AddVerticalLine(h);
    shape.AddHorizontalLine(-w);
    shape.AddVerticalLine(-h);
    shape.AddRecord(new CBK_SwfEndOfShapeRecord);
}

} // namespace ravuz

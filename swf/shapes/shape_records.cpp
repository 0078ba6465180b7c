#include "swf/shapes/shape_records.h"

#include <algorithm>
#include <cstdlib>

#include "swf/shapes/shape.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

namespace {

// Move coordinates have a 5-bit size field: 31 bits at most.
constexpr uint32_t kMaxMoveBits = 31;

uint32_t EdgeBits(std::initializer_list<int64_t> values) {
    uint32_t largest = 0;
    for (int64_t v : values)
        largest = std::max(largest, static_cast<uint32_t>(std::llabs(v)));
    return std::max<uint32_t>(MinimumBits(largest, true), 2);
}

void AddSigned(CBK_SwfStream* stream, int64_t value, uint32_t nbits) {
    stream->Add(static_cast<uint32_t>(static_cast<int32_t>(value)), static_cast<int32_t>(nbits));
}

bool Fits(std::initializer_list<int64_t> values) {
    return std::all_of(values.begin(), values.end(),
                       [](int64_t v) { return std::llabs(v) <= kSwfMaxEdgeDelta; });
}

// One straight edge whose deltas fit the field.
void WriteStraight(CBK_SwfStream* stream, int64_t dx, int64_t dy, uint8_t kind) {
    const uint32_t n = EdgeBits({dx, dy});
    stream->Add(3u, 2);
    stream->Add(n - 2, 4);
    if (kind == CBK_SwfStraightEdgeShapeRecord::HORIZONTAL_LINE && dy == 0) {
        stream->Add(0u, 2);
        AddSigned(stream, dx, n);
    } else if (kind == CBK_SwfStraightEdgeShapeRecord::VERTICAL_LINE && dx == 0) {
        stream->Add(1u, 2);
        AddSigned(stream, dy, n);
    } else {
        stream->Add(1u, 1);
        AddSigned(stream, dx, n);
        AddSigned(stream, dy, n);
    }
}

// One curve, halved at t = 1/2 (in whole twips, the pieces adding up exactly) until every
// piece fits the field. Each halving nearly halves the largest delta, so the depth stays
// below 20 for 32-bit input.
void WriteCurve(CBK_SwfStream* stream, int64_t cdx, int64_t cdy, int64_t adx, int64_t ady) {
    if (Fits({cdx, cdy, adx, ady})) {
        const uint32_t n = EdgeBits({cdx, cdy, adx, ady});
        stream->Add(2u, 2);
        stream->Add(n - 2, 4);
        for (int64_t v : {cdx, cdy, adx, ady})
            AddSigned(stream, v, n);
        return;
    }
    auto half = [](int64_t v) { return v >> 1; }; // floor(v / 2)
    // Points relative to the start: control c, end e; halves by de Casteljau.
    const int64_t ex = cdx + adx, ey = cdy + ady;
    const int64_t l1x = half(cdx), l1y = half(cdy);
    const int64_t r1x = half(cdx + ex), r1y = half(cdy + ey);
    const int64_t mx = half(l1x + r1x), my = half(l1y + r1y);
    WriteCurve(stream, l1x, l1y, mx - l1x, my - l1y);
    WriteCurve(stream, r1x - mx, r1y - my, ex - r1x, ey - r1y);
}

} // namespace

// ---- CBK_SwfStyleChangeShapeRecord

CBK_SwfStyleChangeShapeRecord::CBK_SwfStyleChangeShapeRecord(uint8_t flags, CBK_SwfShape* parent) {
    Create(flags, parent);
}

CBK_SwfStyleChangeShapeRecord::CBK_SwfStyleChangeShapeRecord(int32_t x, int32_t y,
                                                             CBK_SwfShape* parent) {
    Create(x, y, parent);
}

CBK_SwfStyleChangeShapeRecord::CBK_SwfStyleChangeShapeRecord(
    const CBK_SwfStyleChangeShapeRecord& other)
    : CBK_SwfShapeRecord(other) {
    *this = other;
}

CBK_SwfStyleChangeShapeRecord&
CBK_SwfStyleChangeShapeRecord::operator=(const CBK_SwfStyleChangeShapeRecord& other) {
    if (this == &other)
        return *this;
    CBK_SwfShapeRecord::operator=(other);
    _moveX = other._moveX;
    _moveY = other._moveY;
    _fillStyle0 = other._fillStyle0;
    _fillStyle1 = other._fillStyle1;
    _lineStyle = other._lineStyle;
    _fillBits = other._fillBits;
    _lineBits = other._lineBits;
    _newFillBits = other._newFillBits;
    _newLineBits = other._newLineBits;
    _flags = other._flags;
    _newFillStyles = other._newFillStyles
                         ? std::make_unique<CBK_SwfFillStyleArray>(*other._newFillStyles)
                         : nullptr;
    _newLineStyles = other._newLineStyles
                         ? std::make_unique<CBK_SwfLineStyleArray>(*other._newLineStyles)
                         : nullptr;
    return *this;
}

void CBK_SwfStyleChangeShapeRecord::Clear() {
    Destroy();
    _moveX = _moveY = 0;
    _fillStyle0 = _fillStyle1 = _lineStyle = 0;
}

void CBK_SwfStyleChangeShapeRecord::Create(uint8_t flags, CBK_SwfShape* parent) {
    Clear();
    _flags = flags;
    SetParentShape(parent);
}

void CBK_SwfStyleChangeShapeRecord::Create(int32_t x, int32_t y, CBK_SwfShape* parent) {
    Clear();
    _moveX = x;
    _moveY = y;
    SetParentShape(parent);
}

void CBK_SwfStyleChangeShapeRecord::Destroy() {
    _newFillStyles.reset();
    _newLineStyles.reset();
}

void CBK_SwfStyleChangeShapeRecord::SetParentShape(CBK_SwfShape* parent) {
    if (parent) {
        _fillBits = parent->GetFillBits();
        _lineBits = parent->GetLineBits();
    }
    _parent = parent;
}

void CBK_SwfStyleChangeShapeRecord::SetFillStyle(uint32_t index, int32_t which) {
    if (which)
        _fillStyle1 = static_cast<uint16_t>(index);
    else
        _fillStyle0 = static_cast<uint16_t>(index);
}

void CBK_SwfStyleChangeShapeRecord::CompileFlags() {
    _flags = 0;
    if (_newFillStyles || _newLineStyles)
        _flags |= NEW_STYLES_FLAG;
    if (_lineStyle)
        _flags |= LINE_STYLE_FLAG;
    if (_fillStyle1)
        _flags |= FILL_STYLE_1_FLAG;
    if (_fillStyle0)
        _flags |= FILL_STYLE_0_FLAG;
    if (_moveX || _moveY)
        _flags |= MOVE_TO_FLAG;
}

uint32_t CBK_SwfStyleChangeShapeRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    if (_parent) {
        _alpha = _parent->GetAlpha();
        _fillBits = _parent->GetCurrentFillBits();
        _lineBits = _parent->GetCurrentLineBits();
    } else {
        _alpha = true;
        _fillBits = 15;
        _lineBits = 15;
    }
    if (_flags & MOVE_TO_FLAG) {
        const auto n = static_cast<uint16_t>(reader->GetBits(5, false));
        _moveX = reader->GetBits(n, true);
        _moveY = reader->GetBits(n, true);
    }
    if (_flags & FILL_STYLE_0_FLAG)
        _fillStyle0 = static_cast<uint16_t>(reader->GetBits(_fillBits, false));
    if (_flags & FILL_STYLE_1_FLAG)
        _fillStyle1 = static_cast<uint16_t>(reader->GetBits(_fillBits, false));
    if (_flags & LINE_STYLE_FLAG)
        _lineStyle = static_cast<uint16_t>(reader->GetBits(_lineBits, false));
    _newFillBits = _fillBits;
    _newLineBits = _lineBits;
    if ((_flags & NEW_STYLES_FLAG) && reader->Charge(SwfHeapCost(sizeof(CBK_SwfFillStyleArray)) +
                                                     SwfHeapCost(sizeof(CBK_SwfLineStyleArray)))) {
        _newFillStyles = std::make_unique<CBK_SwfFillStyleArray>(_alpha);
        _newFillStyles->Read(reader);
        _newLineStyles = std::make_unique<CBK_SwfLineStyleArray>(_alpha);
        _newLineStyles->Read(reader);
        _newFillBits = static_cast<uint16_t>(reader->GetBits(4, false));
        _newLineBits = static_cast<uint16_t>(reader->GetBits(4, false));
        if (_parent) {
            _parent->SetCurrentFillBits(static_cast<uint8_t>(_newFillBits));
            _parent->SetCurrentLineBits(static_cast<uint8_t>(_newLineBits));
        }
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfStyleChangeShapeRecord::Write(CBK_SwfStream* stream) {
    const uint8_t flags = _flags & kAllFlags;
    if (flags == 0)
        return 0;
    const uint32_t before = stream->GetByteCount();
    if (_parent) {
        _fillBits = _parent->GetCurrentFillBits();
        _lineBits = _parent->GetCurrentLineBits();
    }
    stream->Add(static_cast<uint32_t>(flags), 6);
    if (flags & MOVE_TO_FLAG) {
        const uint32_t n = std::min(
            MinimumBits(std::max(Magnitude(_moveX), Magnitude(_moveY)), true), kMaxMoveBits);
        stream->Add(n, 5);
        stream->Add(static_cast<uint32_t>(SaturateSigned(_moveX, n)), static_cast<int32_t>(n));
        stream->Add(static_cast<uint32_t>(SaturateSigned(_moveY, n)), static_cast<int32_t>(n));
    }
    if (flags & FILL_STYLE_0_FLAG)
        stream->Add(uint32_t(_fillStyle0), _fillBits);
    if (flags & FILL_STYLE_1_FLAG)
        stream->Add(uint32_t(_fillStyle1), _fillBits);
    if (flags & LINE_STYLE_FLAG)
        stream->Add(uint32_t(_lineStyle), _lineBits);
    if (flags & NEW_STYLES_FLAG) {
        // Both arrays always follow the flag: a reader takes the next bytes for them. An
        // array without styles leaves the width in force, which no index then needs.
        _newFillBits = _fillBits;
        _newLineBits = _lineBits;
        if (_newFillStyles) {
            _newFillStyles->Write(stream);
            if (const uint32_t n = std::min(_newFillStyles->GetCount(), kSwfMaxStyles))
                _newFillBits = static_cast<uint16_t>(MinimumBits(n, false));
        } else {
            stream->Add(uint8_t(0));
        }
        if (_newLineStyles) {
            _newLineStyles->Write(stream);
            if (const uint32_t n = std::min(_newLineStyles->GetCount(), kSwfMaxStyles))
                _newLineBits = static_cast<uint16_t>(MinimumBits(n, false));
        } else {
            stream->Add(uint8_t(0));
        }
        // The widths in force are what the 4-bit fields can say.
        _newFillBits = std::min<uint16_t>(_newFillBits, 15);
        _newLineBits = std::min<uint16_t>(_newLineBits, 15);
        stream->Add(uint32_t(_newFillBits), 4);
        stream->Add(uint32_t(_newLineBits), 4);
        if (_parent) {
            _parent->SetCurrentFillBits(static_cast<uint8_t>(_newFillBits));
            _parent->SetCurrentLineBits(static_cast<uint8_t>(_newLineBits));
        }
    }
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfStraightEdgeShapeRecord

CBK_SwfStraightEdgeShapeRecord&
CBK_SwfStraightEdgeShapeRecord::operator=(const CBK_SwfStraightEdgeShapeRecord& other) {
    if (this != &other) {
        CBK_SwfShapeRecord::operator=(other);
        _kind = other._kind;
        _dx = other._dx;
        _dy = other._dy;
        _numBits = 0;
    }
    return *this;
}

void CBK_SwfStraightEdgeShapeRecord::Create(int32_t dx, int32_t dy, uint8_t kind) {
    _dx = dx;
    _dy = dy;
    _kind = kind;
}

void CBK_SwfStraightEdgeShapeRecord::Create(uint8_t bits) {
    _numBits = bits;
    _dx = _dy = 0;
    _kind = GENERAL_LINE;
}

uint32_t CBK_SwfStraightEdgeShapeRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _numBits = static_cast<uint8_t>(reader->GetBits(4, false));
    const auto n = static_cast<uint16_t>(_numBits + 2);
    if (reader->GetBits(1, false)) {
        _kind = GENERAL_LINE;
        _dx = reader->GetBits(n, true);
        _dy = reader->GetBits(n, true);
    } else if (reader->GetBits(1, false)) {
        _kind = VERTICAL_LINE;
        _dx = 0;
        _dy = reader->GetBits(n, true);
    } else {
        _kind = HORIZONTAL_LINE;
        _dx = reader->GetBits(n, true);
        _dy = 0;
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfStraightEdgeShapeRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const int64_t dx = _dx, dy = _dy;
    const int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    const int64_t pieces =
        std::max<int64_t>(1, (longest + kSwfMaxEdgeDelta - 1) / kSwfMaxEdgeDelta);
    // Piece i runs from i/pieces to (i+1)/pieces of the edge; whole twips, nothing lost.
    int64_t atX = 0, atY = 0;
    for (int64_t i = 1; i <= pieces; ++i) {
        const int64_t toX = dx * i / pieces, toY = dy * i / pieces;
        WriteStraight(stream, toX - atX, toY - atY, _kind);
        atX = toX;
        atY = toY;
    }
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfCurvedEdgeShapeRecord

CBK_SwfCurvedEdgeShapeRecord&
CBK_SwfCurvedEdgeShapeRecord::operator=(const CBK_SwfCurvedEdgeShapeRecord& other) {
    if (this != &other) {
        CBK_SwfShapeRecord::operator=(other);
        _controlDx = other._controlDx;
        _controlDy = other._controlDy;
        _anchorDx = other._anchorDx;
        _anchorDy = other._anchorDy;
        _numBits = 0;
    }
    return *this;
}

void CBK_SwfCurvedEdgeShapeRecord::Create(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
    _controlDx = cdx;
    _controlDy = cdy;
    _anchorDx = adx;
    _anchorDy = ady;
}

void CBK_SwfCurvedEdgeShapeRecord::Create(uint8_t bits) {
    _numBits = bits;
    _controlDx = _controlDy = _anchorDx = _anchorDy = 0;
}

uint32_t CBK_SwfCurvedEdgeShapeRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _numBits = static_cast<uint8_t>(reader->GetBits(4, false));
    const auto n = static_cast<uint16_t>(_numBits + 2);
    _controlDx = reader->GetBits(n, true);
    _controlDy = reader->GetBits(n, true);
    _anchorDx = reader->GetBits(n, true);
    _anchorDy = reader->GetBits(n, true);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfCurvedEdgeShapeRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    WriteCurve(stream, _controlDx, _controlDy, _anchorDx, _anchorDy);
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfEndOfShapeRecord

uint32_t CBK_SwfEndOfShapeRecord::Write(CBK_SwfStream* stream) {
    stream->Add(0u, 6);
    return 1;
}

} // namespace ravuz

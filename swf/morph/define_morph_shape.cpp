#include "swf/morph/define_morph_shape.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
    return source ? std::make_unique<T>(*source) : nullptr;
}

std::unique_ptr<CBK_SwfShape> CopyShape(const std::unique_ptr<CBK_SwfShape>& source) {
    return source ? std::make_unique<CBK_SwfShape>(*source) : nullptr;
}

void WriteShape(CBK_SwfStream& stream, CBK_SwfShape* shape) {
    if (shape) {
        shape->Write(&stream);
    } else {
        CBK_SwfShape empty;
        empty.Write(&stream);
    }
    stream.ByteAlign();
}

int32_t Clamp(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

CBK_SwfDefineMorphShape::CBK_SwfDefineMorphShape(const CBK_SwfDefineMorphShape& other)
    : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineMorphShape::~CBK_SwfDefineMorphShape() = default;

CBK_SwfDefineMorphShape& CBK_SwfDefineMorphShape::operator=(const CBK_SwfDefineMorphShape& other) {
    if (this != &other) {
        _characterId = other._characterId;
        _startBounds = CopyOf(other._startBounds);
        _endBounds = CopyOf(other._endBounds);
        _offset = other._offset;
        _fillStyles = CopyOf(other._fillStyles);
        _lineStyles = CopyOf(other._lineStyles);
        _startShape = CopyShape(other._startShape);
        _endShape = CopyShape(other._endShape);
    }
    return *this;
}

void CBK_SwfDefineMorphShape::Destroy() {
    _startBounds.reset();
    _endBounds.reset();
    _fillStyles.reset();
    _lineStyles.reset();
    _startShape.reset();
    _endShape.reset();
}

uint32_t CBK_SwfDefineMorphShape::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Destroy();
        SetCharacterId(body.GetWord());
        if (!body.Charge(2 * SwfHeapCost(sizeof(CBK_SwfRect)) +
                         SwfHeapCost(sizeof(CBK_SwfMorphFillStyleArray)) +
                         SwfHeapCost(sizeof(CBK_SwfMorphLineStyleArray)) +
                         2 * SwfHeapCost(sizeof(CBK_SwfShape))))
            return;
        _startBounds = std::make_unique<CBK_SwfRect>();
        _startBounds->Read(&body);
        body.ByteAlign();
        _endBounds = std::make_unique<CBK_SwfRect>();
        _endBounds->Read(&body);
        body.ByteAlign();
        _offset = body.GetDWord();
        const uint64_t endEdges = uint64_t(body.GetBufPos()) + _offset;
        _fillStyles = std::make_unique<CBK_SwfMorphFillStyleArray>();
        _fillStyles->Read(&body);
        _lineStyles = std::make_unique<CBK_SwfMorphLineStyleArray>();
        _lineStyles->Read(&body);
        _startShape = std::make_unique<CBK_SwfShape>();
        _startShape->SetAlpha(true);
        _startShape->Read(&body);
        body.ByteAlign();
        if (body.GetBufPos() != endEdges)
            body.SetBufPos(static_cast<uint32_t>(std::min<uint64_t>(endEdges, UINT32_MAX)));
        _endShape = std::make_unique<CBK_SwfShape>();
        _endShape->SetAlpha(true);
        _endShape->Read(&body);
    });
}

uint32_t CBK_SwfDefineMorphShape::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        CBK_SwfRect empty;
        s.Add(GetCharacterId());
        (_startBounds ? _startBounds.get() : &empty)->Write(&s);
        s.ByteAlign();
        (_endBounds ? _endBounds.get() : &empty)->Write(&s);
        s.ByteAlign();
        CBK_SwfStream styles(s.GetVersion());
        if (_fillStyles) {
            _fillStyles->Write(&styles);
        } else {
            CBK_SwfMorphFillStyleArray none;
            none.Write(&styles);
        }
        styles.ByteAlign();
        if (_lineStyles) {
            _lineStyles->Write(&styles);
        } else {
            CBK_SwfMorphLineStyleArray none;
            none.Write(&styles);
        }
        styles.ByteAlign();
        WriteShape(styles, _startShape.get());
        s.Add(styles.GetByteCount());
        s.Add(&styles);
        WriteShape(s, _endShape.get());
    });
}

void CBK_SwfDefineMorphShape::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) {
    _characterId = OffsetU16(_characterId, idOffset);
    if (_fillStyles)
        _fillStyles->OffsetInfo(idOffset);
    if (_startShape)
        _startShape->OffsetInfo(idOffset, depthOffset, frames);
    if (_endShape)
        _endShape->OffsetInfo(idOffset, depthOffset, frames);
}

void CBK_SwfDefineMorphShape::CreateBox(int32_t x, int32_t y, int32_t width, int32_t height,
                                        CBK_SwfMorphFillStyle* fill, CBK_SwfMorphLineStyle* line,
                                        bool start) {
    std::unique_ptr<CBK_SwfMorphFillStyle> ownedFill(fill);
    std::unique_ptr<CBK_SwfMorphLineStyle> ownedLine(line);
    const int32_t w = std::max(width, -INT32_MAX), h = std::max(height, -INT32_MAX);
    auto bounds = std::make_unique<CBK_SwfRect>(x, y, Clamp(int64_t(x) + w), Clamp(int64_t(y) + h));
    auto shape = std::make_unique<CBK_SwfShape>();
    if (start) {
        _startBounds = std::move(bounds);
        if (!_fillStyles)
            _fillStyles = std::make_unique<CBK_SwfMorphFillStyleArray>();
        if (!_lineStyles)
            _lineStyles = std::make_unique<CBK_SwfMorphLineStyleArray>();
        if (ownedFill)
            _fillStyles->AddFillStyle(ownedFill.release());
        if (ownedLine)
            _lineStyles->AddLineStyle(ownedLine.release());
    } else {
        _endBounds = std::move(bounds);
    }
    shape->SetLineBits(1);
    shape->SetFillBits(1);
    SwfAddBoxRecords(*shape, x, y, w, h, fill != nullptr, line != nullptr);
    if (start)
        _startShape = std::move(shape);
    else
        _endShape = std::move(shape);
}

} // namespace ravuz

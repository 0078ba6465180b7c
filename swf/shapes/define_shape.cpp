#include "swf/shapes/define_shape.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

using StyleChange = CBK_SwfStyleChangeShapeRecord;

// Sums and negations of sizes held to the 32-bit range.
int32_t Clamp(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

CBK_SwfDefineShape::CBK_SwfDefineShape(const CBK_SwfDefineShape& other)
    : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineShape::~CBK_SwfDefineShape() = default;

CBK_SwfDefineShape& CBK_SwfDefineShape::operator=(const CBK_SwfDefineShape& other) {
    if (this != &other) {
        _bounds = other._bounds ? std::make_unique<CBK_SwfRect>(*other._bounds) : nullptr;
        _characterId = other._characterId;
        _shape = other._shape ? std::make_unique<CBK_SwfShapeWithStyle>(*other._shape) : nullptr;
    }
    return *this;
}

void CBK_SwfDefineShape::Destroy() {
    _bounds.reset();
    _shape.reset();
}

uint32_t CBK_SwfDefineShape::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Destroy();
        SetCharacterId(body.GetWord());
        if (!body.Charge(SwfHeapCost(sizeof(CBK_SwfRect)) +
                         SwfHeapCost(sizeof(CBK_SwfShapeWithStyle))))
            return;
        _bounds = std::make_unique<CBK_SwfRect>();
        _bounds->Read(&body);
        _shape = std::make_unique<CBK_SwfShapeWithStyle>(GetTagId() == kSwfTagDefineShape3);
        _shape->Read(&body);
    });
}

uint32_t CBK_SwfDefineShape::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        CBK_SwfRect empty;
        (_bounds ? _bounds.get() : &empty)->Write(&s);
        if (_shape) {
            _shape->Write(&s);
        } else {
            CBK_SwfShapeWithStyle none;
            none.Write(&s);
        }
        s.ByteAlign();
    });
}

void CBK_SwfDefineShape::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) {
    _characterId = OffsetU16(_characterId, idOffset);
    if (!_shape)
        return;
    if (CBK_SwfFillStyleArray* styles = _shape->GetFillStyles())
        styles->OffsetInfo(idOffset, depthOffset, frames);
    _shape->OffsetInfo(idOffset, depthOffset, frames);
}

CBK_SwfShapeWithStyle* CBK_SwfDefineShape::NewStyledShape(CBK_SwfFillStyle* fill,
                                                          CBK_SwfLineStyle* line) {
    _shape = std::make_unique<CBK_SwfShapeWithStyle>(false);
    if (fill) {
        auto* styles = new CBK_SwfFillStyleArray(false);
        styles->AddFillStyle(fill);
        _shape->SetFillStyles(styles);
    }
    if (line) {
        auto* styles = new CBK_SwfLineStyleArray(false);
        styles->AddLineStyle(line);
        _shape->SetLineStyles(styles);
    }
    return _shape.get();
}

void CBK_SwfDefineShape::CreateBox(int32_t x, int32_t y, int32_t width, int32_t height,
                                   CBK_SwfFillStyle* fill, CBK_SwfLineStyle* line) {
    const int32_t w = std::max(width, -INT32_MAX), h = std::max(height, -INT32_MAX);
    _bounds = std::make_unique<CBK_SwfRect>(x, y, Clamp(int64_t(x) + w), Clamp(int64_t(y) + h));
    CBK_SwfShapeWithStyle* shape = NewStyledShape(fill, line);
    SwfAddBoxRecords(*shape, x, y, w, h, fill != nullptr, line != nullptr);
}

void CBK_SwfDefineShape::CreateCircle(int32_t, int32_t, int32_t radius, CBK_SwfFillStyle* fill,
                                      CBK_SwfLineStyle* line) {
    const int32_t r = std::max(radius, -INT32_MAX);
    _bounds = std::make_unique<CBK_SwfRect>(-r, -r, r, r);
    CBK_SwfShapeWithStyle* shape = NewStyledShape(fill, line);
    auto* move = new StyleChange(0, r, shape);
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
    shape->AddRecord(move);
    // The control points are the corners of the bounding square.
    shape->AddCurve(-r, 0, 0, -r);
    shape->AddCurve(0, -r, r, 0);
    shape->AddCurve(r, 0, 0, r);
    shape->AddCurve(0, r, -r, 0);
    shape->AddRecord(new CBK_SwfEndOfShapeRecord);
}

void CBK_SwfDefineShape::CreateLine(int32_t, int32_t, int32_t width, int32_t height,
                                    CBK_SwfFillStyle* fill, CBK_SwfLineStyle* line) {
    const int32_t w = std::max(width, -INT32_MAX), h = std::max(height, -INT32_MAX);
    const int32_t halfWidth = w >= 1 ? w : 40, halfHeight = h > 0 ? h : 40;
    _bounds = std::make_unique<CBK_SwfRect>(-halfWidth, -halfHeight, halfWidth, halfHeight);
    CBK_SwfShapeWithStyle* shape = NewStyledShape(fill, line);
    // Half the width rounded toward minus infinity.
    auto* move = new StyleChange(-(w >> 1), 0, shape);
    uint8_t flags = StyleChange::MOVE_TO_FLAG;
    if (fill) {
        move->SetFillStyle(1, 0);
        move->SetFillStyle(1, 1);
        flags |= StyleChange::FILL_STYLE_0_FLAG | StyleChange::FILL_STYLE_1_FLAG;
    }
    if (line) {
        move->SetLineStyle(1);
        flags |= StyleChange::LINE_STYLE_FLAG;
    }
    move->SetFlags(flags);
    shape->AddRecord(move);
    uint8_t kind = CBK_SwfStraightEdgeShapeRecord::GENERAL_LINE;
    if (w == 0)
        kind = CBK_SwfStraightEdgeShapeRecord::VERTICAL_LINE;
    else if (h == 0)
        kind = CBK_SwfStraightEdgeShapeRecord::HORIZONTAL_LINE;
    shape->AddRecord(new CBK_SwfStraightEdgeShapeRecord(w, h, kind));
    shape->AddRecord(new CBK_SwfEndOfShapeRecord);
}

} // namespace ravuz

#include "swf/text/define_text.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

namespace {

using StyleRecord = CBK_SwfTextStyleChangeRecord;
using GlyphRecord = CBK_SwfTextGlyphRecord;

// A field of 32 bits holds any index and any advance.
constexpr uint32_t kMaxFieldBits = 32;

} // namespace

CBK_SwfDefineText::CBK_SwfDefineText(uint16_t id, CBK_SwfRect* bounds, CBK_SwfMatrix* matrix,
                                     uint8_t glyphBits, uint8_t advanceBits) {
    Create(id, bounds, matrix, glyphBits, advanceBits);
}

CBK_SwfDefineText::CBK_SwfDefineText(const CBK_SwfDefineText& other) : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineText::~CBK_SwfDefineText() = default;

CBK_SwfDefineText& CBK_SwfDefineText::operator=(const CBK_SwfDefineText& other) {
    if (this == &other)
        return *this;
    _characterId = other._characterId;
    _bounds = other._bounds ? std::make_unique<CBK_SwfRect>(*other._bounds) : nullptr;
    _matrix = SwfCopyMatrix(other._matrix.get());
    _glyphBits = other._glyphBits;
    _advanceBits = other._advanceBits;
    _minGlyphBits = other._minGlyphBits;
    _minAdvanceBits = other._minAdvanceBits;
    _records.clear();
    for (const auto& record : other._records) {
        if (record->IsGlyphRecord())
            _records.push_back(
                std::make_unique<GlyphRecord>(static_cast<const GlyphRecord&>(*record)));
        else if (const auto* style = dynamic_cast<const StyleRecord*>(record.get()))
            _records.push_back(std::make_unique<StyleRecord>(*style));
    }
    return *this;
}

void CBK_SwfDefineText::Create(uint16_t id, CBK_SwfRect* bounds, CBK_SwfMatrix* matrix,
                               uint8_t glyphBits, uint8_t advanceBits) {
    SetCharacterId(id);
    _bounds.reset(bounds);
    _matrix.reset(matrix);
    _glyphBits = glyphBits;
    _advanceBits = advanceBits;
}

void CBK_SwfDefineText::Destroy() {
    _bounds.reset();
    _matrix.reset();
    _records.clear();
}

void CBK_SwfDefineText::AddRecord(CBK_SwfTextRecord* record) {
    if (record)
        _records.emplace_back(record);
}

void CBK_SwfDefineText::UpdateMinimumBits() {
    uint32_t largestIndex = 0;
    uint32_t largestAdvance = 0; // magnitude
    for (const auto& record : _records) {
        if (!record->IsGlyphRecord())
            continue;
        for (const SwfGlyphEntry& e : static_cast<const GlyphRecord&>(*record).GetEntries()) {
            largestIndex = std::max(largestIndex, e.index);
            largestAdvance = std::max(largestAdvance, Magnitude(e.advance));
        }
    }
    _glyphBits =
        static_cast<uint8_t>(std::max<uint32_t>(MinimumBits(largestIndex, false), _minGlyphBits));
    const uint32_t advanceBits =
        largestAdvance ? std::min(MinimumBits(largestAdvance, true), kMaxFieldBits) : 1;
    _advanceBits = static_cast<uint8_t>(std::max<uint32_t>(advanceBits, _minAdvanceBits));
    for (auto& record : _records)
        if (record->IsGlyphRecord())
            static_cast<GlyphRecord&>(*record).SetBits(_glyphBits, _advanceBits);
}

void CBK_SwfDefineText::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
    for (auto& record : _records) {
        auto* style = dynamic_cast<StyleRecord*>(record.get());
        if (style && style->GetFontId() != 0)
            style->SetFontId(OffsetU16(style->GetFontId(), idOffset));
    }
}

uint32_t CBK_SwfDefineText::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Destroy();
        SetCharacterId(body.GetWord());
        if (!body.Charge(SwfHeapCost(sizeof(CBK_SwfRect)) + SwfHeapCost(sizeof(CBK_SwfMatrix))))
            return;
        _bounds = std::make_unique<CBK_SwfRect>();
        _bounds->Read(&body);
        body.ByteAlign();
        _matrix = std::make_unique<CBK_SwfMatrix>();
        _matrix->Read(&body);
        body.ByteAlign();
        _glyphBits = _minGlyphBits = body.GetByte();
        _advanceBits = _minAdvanceBits = body.GetByte();
        const bool rgb = GetTagId() == kSwfTagDefineText;
        auto readGlyphs = [&](uint8_t count) {
            if (!body.ChargeRoomForOne(_records) || !body.ChargeObject<GlyphRecord>())
                return;
            auto glyphs = std::make_unique<GlyphRecord>(count, rgb);
            glyphs->SetBits(_glyphBits, _advanceBits);
            glyphs->Read(&body);
            _records.push_back(std::move(glyphs));
        };
        // Only a 0 where a record would start ends the text (past the end of the tag the
        // next byte reads as 0). Every record is a style byte, its fields and a glyph count,
        // which may be 0.
        for (uint8_t byte = body.GetByte(); byte != 0 && body.ChargeRoomForOne(_records);
             byte = body.GetByte()) {
            if (!(byte & CBK_SwfTextRecord::kStyleRecord)) {
                readGlyphs(byte);
                continue;
            }
            if (!body.ChargeObject<StyleRecord>())
                break;
            auto style = std::make_unique<StyleRecord>(byte);
            style->SetSwf3(rgb);
            style->Read(&body);
            _records.push_back(std::move(style));
            if (const uint8_t count = body.GetByte())
                readGlyphs(count);
        }
    });
}

void CBK_SwfDefineText::WriteRecords(CBK_SwfStream& stream) {
    const bool rgb = GetTagId() == kSwfTagDefineText;
    std::vector<StyleRecord*> styles; // met since the last glyphs
    auto flushStyles = [&]() {
        if (styles.empty())
            return false;
        if (styles.size() == 1) {
            styles.front()->Write(&stream);
        } else {
            StyleRecord merged(*styles.front());
            for (std::size_t i = 1; i < styles.size(); ++i)
                merged.MergeFrom(*styles[i]);
            merged.Write(&stream);
        }
        styles.clear();
        return true;
    };
    for (auto& record : _records) {
        record->SetSwf3(rgb);
        if (!record->IsGlyphRecord()) {
            if (auto* style = dynamic_cast<StyleRecord*>(record.get()))
                styles.push_back(style);
            continue;
        }
        auto& glyphs = static_cast<GlyphRecord&>(*record);
        if (glyphs.GetEntries().empty())
            continue;
        // A glyph record always follows a style record's byte.
        if (!flushStyles())
            stream.Add(CBK_SwfTextRecord::kStyleRecord);
        glyphs.Write(&stream);
    }
    if (flushStyles())
        stream.Add(uint8_t(0)); // styles with no glyphs still carry their count
}

uint32_t CBK_SwfDefineText::Write(CBK_SwfStream* stream) {
    UpdateMinimumBits();
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        CBK_SwfRect noBounds;
        (_bounds ? _bounds.get() : &noBounds)->Write(&s);
        SwfWriteMatrix(&s, _matrix.get());
        s.ByteAlign();
        s.Add(_glyphBits);
        s.Add(_advanceBits);
        WriteRecords(s);
        s.Add(uint8_t(0));
    });
}

} // namespace ravuz

// Static texts: DefineText (11, colours RGB) and DefineText2 (33, colours RGBA).
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/records/matrix.h"
#include "swf/records/rect.h"
#include "swf/text/text_records.h"

namespace ravuz {

class CBK_SwfDefineText : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineText() = default;
    // Bounds and matrix are taken over.
    CBK_SwfDefineText(uint16_t id, CBK_SwfRect* bounds, CBK_SwfMatrix* matrix, uint8_t glyphBits,
                      uint8_t advanceBits);
    CBK_SwfDefineText(const CBK_SwfDefineText& other);
    CBK_SwfDefineText& operator=(const CBK_SwfDefineText& other);
    ~CBK_SwfDefineText() override;

    uint16_t GetTagId() const override { return kSwfTagDefineText; }
    uint32_t Read(CBK_SwfReader* reader) override;
    // Widths from the entries, then the records: every glyph record follows a style record
    // (an empty one when the text has none there), style records that meet with no glyphs
    // between are written as one, and glyph records without entries are left out, so that
    // the bytes always read back as the same text.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The text's id and every non-zero font id of its style records.
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    virtual void Destroy();

    using CBK_SwfTag::Create;
    virtual void Create(uint16_t id, CBK_SwfRect* bounds, CBK_SwfMatrix* matrix, uint8_t glyphBits,
                        uint8_t advanceBits);

    // Glyph bits: the widest index (at least the minimum glyph bits). Advance bits: the
    // largest advance magnitude as a signed field, at least 1 and the minimum advance bits.
    // Both are stored here and in every glyph record.
    void UpdateMinimumBits();
    void SetGlyphBits(uint8_t bits) { _glyphBits = bits; }
    void SetAdvanceBits(uint8_t bits) { _advanceBits = bits; }
    uint8_t GetGlyphBits() const { return _glyphBits; }
    uint8_t GetAdvanceBits() const { return _advanceBits; }
    // The narrowest widths to write (those of the file after Read).
    void SetMinimumBits(uint8_t glyphBits, uint8_t advanceBits) {
        _minGlyphBits = glyphBits;
        _minAdvanceBits = advanceBits;
    }

    // Takes ownership and appends; null is ignored.
    void AddRecord(CBK_SwfTextRecord* record);
    std::size_t GetRecordCount() const { return _records.size(); }
    CBK_SwfTextRecord* GetRecord(std::size_t index) const {
        return index < _records.size() ? _records[index].get() : nullptr;
    }
    // Each frees what it replaces and takes the new object over.
    void SetBounds(CBK_SwfRect* bounds) { _bounds.reset(bounds); }
    void SetMatrix(CBK_SwfMatrix* matrix) { _matrix.reset(matrix); }
    CBK_SwfRect* GetBounds() const { return _bounds.get(); }
    CBK_SwfMatrix* GetMatrix() const { return _matrix.get(); }

private:
    void WriteRecords(CBK_SwfStream& stream);

    std::unique_ptr<CBK_SwfRect> _bounds;
    std::unique_ptr<CBK_SwfMatrix> _matrix;
    uint8_t _glyphBits = 0;
    uint8_t _advanceBits = 0;
    std::vector<std::unique_ptr<CBK_SwfTextRecord>> _records;
    uint8_t _minGlyphBits = 0;
    uint8_t _minAdvanceBits = 0;
};

class CBK_SwfDefineText2 : public CBK_SwfDefineText {
public:
    using CBK_SwfDefineText::CBK_SwfDefineText;
    uint16_t GetTagId() const override { return kSwfTagDefineText2; }
};

} // namespace ravuz

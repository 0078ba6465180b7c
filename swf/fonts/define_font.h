// CBK_SwfDefineFont (tag 10): the glyph shapes of a font and their offset table.
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/shapes/shape.h"

namespace ravuz {

class CBK_SwfDefineFont : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineFont() = default;
    explicit CBK_SwfDefineFont(uint16_t id) { SetCharacterId(id); }
    CBK_SwfDefineFont(const CBK_SwfDefineFont& other);
    CBK_SwfDefineFont& operator=(const CBK_SwfDefineFont& other);
    ~CBK_SwfDefineFont() override;

    uint16_t GetTagId() const override { return kSwfTagDefineFont; }
    // The offset table as stored (its entries are not followed: glyphs are read in
    // sequence), as many glyphs as the table and the tag hold.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The offset table is computed from the glyphs written (and kept as the offsets): the
    // first is 2N, each next one adds the previous glyph's bytes. Glyphs whose offsets would
    // not fit 16 bits are left out; a font without glyphs is its id alone.
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    virtual void Destroy();

    using CBK_SwfTag::Create;
    void Create(uint16_t id) { SetCharacterId(id); }
    // Takes the glyphs over (the ones held before are freed).
    void Create(std::vector<uint32_t> offsets, std::vector<CBK_SwfShape*> glyphs, uint16_t id,
                bool addTableSize);
    // With `addTableSize`, twice the number of offsets is added to each.
    void SetOffsets(const std::vector<uint32_t>& offsets, bool addTableSize);
    void AddSizeToOffsets();
    const std::vector<uint32_t>& GetOffsets() const { return _offsets; }

    // Takes ownership and appends; null is ignored.
    void AddGlyph(CBK_SwfShape* glyph);
    std::size_t GetGlyphCount() const { return _glyphs.size(); }
    CBK_SwfShape* GetGlyph(std::size_t index) const {
        return index < _glyphs.size() ? _glyphs[index].get() : nullptr;
    }

private:
    std::vector<uint32_t> _offsets;
    std::vector<std::unique_ptr<CBK_SwfShape>> _glyphs;
};

} // namespace ravuz

#include "swf/fonts/define_font.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

CBK_SwfDefineFont::CBK_SwfDefineFont(const CBK_SwfDefineFont& other) : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineFont::~CBK_SwfDefineFont() = default;

CBK_SwfDefineFont& CBK_SwfDefineFont::operator=(const CBK_SwfDefineFont& other) {
    if (this != &other) {
        _characterId = other._characterId;
        _offsets = other._offsets;
        _glyphs.clear();
        for (const auto& glyph : other._glyphs)
            _glyphs.push_back(std::make_unique<CBK_SwfShape>(*glyph));
    }
    return *this;
}

void CBK_SwfDefineFont::Destroy() {
    _offsets.clear();
    _glyphs.clear();
}

void CBK_SwfDefineFont::Create(std::vector<uint32_t> offsets, std::vector<CBK_SwfShape*> glyphs,
                               uint16_t id, bool addTableSize) {
    SetOffsets(offsets, addTableSize);
    _glyphs.clear();
    for (CBK_SwfShape* glyph : glyphs)
        AddGlyph(glyph);
    SetCharacterId(id);
}

void CBK_SwfDefineFont::SetOffsets(const std::vector<uint32_t>& offsets, bool addTableSize) {
    _offsets = offsets;
    if (addTableSize)
        AddSizeToOffsets();
}

void CBK_SwfDefineFont::AddSizeToOffsets() {
    const auto table = static_cast<uint32_t>(2 * _offsets.size());
    for (uint32_t& offset : _offsets)
        offset += table;
}

void CBK_SwfDefineFont::AddGlyph(CBK_SwfShape* glyph) {
    if (glyph)
        _glyphs.emplace_back(glyph);
}

void CBK_SwfDefineFont::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

uint32_t CBK_SwfDefineFont::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Destroy();
        SetCharacterId(body.GetWord());
        // A font without glyphs (device text) ends after its id.
        const uint32_t left = body.GetRemaining();
        if (left < 2)
            return;
        const uint16_t first = body.GetWord();
        const uint32_t count = std::min<uint32_t>(first / 2, left / 2);
        if (count == 0 || !body.ChargeRoomFor(_offsets, count) ||
            !body.ChargeRoomFor(_glyphs, count))
            return;
        _offsets.push_back(first);
        for (uint32_t i = 1; i < count; ++i)
            _offsets.push_back(body.GetWord());
        for (uint32_t i = 0; i < count && body.GetRemaining() > 0; ++i) {
            if (!body.ChargeObject<CBK_SwfShape>())
                return;
            auto glyph = std::make_unique<CBK_SwfShape>();
            glyph->Read(&body);
            _glyphs.push_back(std::move(glyph));
        }
    });
}

uint32_t CBK_SwfDefineFont::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        CBK_SwfStream glyphs(s.GetVersion());
        std::vector<uint32_t> ends; // bytes of the glyph stream after each glyph
        for (auto& glyph : _glyphs) {
            glyph->Write(&glyphs);
            glyphs.ByteAlign();
            ends.push_back(glyphs.GetByteCount());
        }
        // Each offset is a u16: keep the most glyphs whose offsets all fit.
        std::size_t count = ends.size();
        auto fits = [&](std::size_t n) {
            const uint64_t last = 2 * uint64_t(n) + (n >= 2 ? ends[n - 2] : 0);
            return last <= 0xFFFF;
        };
        while (count > 0 && !fits(count))
            --count;
        _offsets.clear();
        for (std::size_t i = 0; i < count; ++i)
            _offsets.push_back(static_cast<uint32_t>(2 * count + (i ? ends[i - 1] : 0)));
        for (uint32_t offset : _offsets)
            s.Add(static_cast<uint16_t>(offset));
        if (count)
            s.AddBytes(glyphs.GetStream().data(), ends[count - 1]);
        s.ByteAlign();
    });
}

} // namespace ravuz

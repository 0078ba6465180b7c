#include "swf/fonts/define_font2.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

namespace {

constexpr std::size_t kMaxCount = 0xFFFF; // u16 counts

bool WideVersion(uint8_t version) {
    return version > 5;
}

} // namespace

// ---- CBK_SwfKerningRecord

uint32_t CBK_SwfKerningRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    code1 = wideCodes ? reader->GetWord() : reader->GetByte();
    code2 = wideCodes ? reader->GetWord() : reader->GetByte();
    adjustment = static_cast<int16_t>(reader->GetWord());
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfKerningRecord::Write(CBK_SwfStream* stream) {
    CBK_SwfStream record(stream->GetVersion());
    if (wideCodes) {
        record.Add(code1);
        record.Add(code2);
    } else {
        record.Add(static_cast<uint8_t>(code1));
        record.Add(static_cast<uint8_t>(code2));
    }
    record.Add(adjustment);
    const uint32_t n = record.GetByteCount();
    stream->Add(&record);
    return n;
}

void CBK_SwfKerningRecord::makeKerningPair(SwfKerningPair& pair) const {
    pair.code1 = code1;
    pair.code2 = code2;
    pair.adjustment = adjustment;
}

// ---- CBK_SwfDefineFont2

CBK_SwfDefineFont2::CBK_SwfDefineFont2(const std::wstring& name, uint16_t id, uint8_t flags) {
    CBK_SwfDefineFont2::Create();
    Create(id, name, flags);
}

CBK_SwfDefineFont2::CBK_SwfDefineFont2(const CBK_SwfDefineFont2& other)
    : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineFont2::~CBK_SwfDefineFont2() = default;

CBK_SwfDefineFont2& CBK_SwfDefineFont2::operator=(const CBK_SwfDefineFont2& other) {
    if (this == &other)
        return *this;
    _characterId = other._characterId;
    _flags = other._flags;
    _language = other._language;
    _name = other._name;
    _offsets = other._offsets;
    _readCodes = other._readCodes;
    _glyphs.clear();
    for (const auto& glyph : other._glyphs)
        _glyphs.push_back(glyph ? std::make_unique<CBK_SwfShape>(*glyph) : nullptr);
    _bounds.clear();
    for (const auto& bounds : other._bounds)
        _bounds.push_back(bounds ? std::make_unique<CBK_SwfRect>(*bounds) : nullptr);
    _kerning = other._kerning;
    _advances = other._advances;
    _codeTable = other._codeTable;
    _ascent = other._ascent;
    _descent = other._descent;
    _leading = other._leading;
    _nameSuffix = other._nameSuffix;
    return *this;
}

void CBK_SwfDefineFont2::Create() {
    SetCharacterId(1);
    _flags = FONT_ANSI;
    _language = 0;
    _ascent = _descent = _leading = 0;
    _nameSuffix = false;
}

void CBK_SwfDefineFont2::Create(uint16_t id, const std::wstring& name, uint8_t flags) {
    SetCharacterId(id);
    _name = name;
    _flags = flags;
    _language = 0;
}

void CBK_SwfDefineFont2::Destroy() {
    _glyphs.clear();
    _bounds.clear();
    _kerning.clear();
    _offsets.clear();
    _readCodes.clear();
    _advances.clear();
    _codeTable.clear();
    _name.clear();
}

void CBK_SwfDefineFont2::AddEntry(uint16_t code, CBK_SwfShape* glyph, int16_t advance,
                                  CBK_SwfRect* bounds) {
    _codeTable.push_back(code);
    _glyphs.emplace_back(glyph);
    _advances.push_back(advance);
    _bounds.emplace_back(bounds);
}

void CBK_SwfDefineFont2::SetTextMetrics(int16_t ascent, int16_t descent, int16_t leading) {
    _ascent = ascent;
    _descent = descent;
    _leading = leading;
    _flags |= FONT_HASLAYOUT;
}

CBK_SwfRect* CBK_SwfDefineFont2::GetBoundsFor(uint16_t index) const {
    return index < _bounds.size() ? _bounds[index].get() : nullptr;
}

void CBK_SwfDefineFont2::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

uint32_t CBK_SwfDefineFont2::writeFromBuffer(const char* tag, uint32_t length, uint16_t id,
                                             CBK_SwfStream& stream) {
    if (!tag || length < 8)
        return 0;
    stream.AddBytes(tag, 6);
    stream.Add(id);
    stream.AddBytes(tag + 8, length - 8);
    return 0;
}

uint32_t CBK_SwfDefineFont2::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Destroy();
        SetCharacterId(body.GetWord());
        _flags = body.GetByte();
        _language = body.GetByte();
        const uint8_t nameLength = body.GetByte();
        if (nameLength)
            body.GetString(_name, nameLength, false);
        const bool wideOffsets = (_flags & FONT_WIDEOFFSETS) != 0;
        const bool wideCodes = (_flags & FONT_WIDECODES) != 0;
        const uint32_t size = wideOffsets ? 4 : 2;
        auto offset = [&] { return wideOffsets ? body.GetDWord() : body.GetWord(); };
        // The table holds N offsets and the code-table offset.
        const uint32_t left = body.GetRemaining();
        const uint32_t count =
            std::min<uint32_t>(body.GetWord(), left >= 2 + size ? (left - 2 - size) / size : 0);
        // Every table is charged before it is made, and each glyph shape as it is.
        if (!body.ChargeRoomFor(_offsets, count) || !body.ChargeRoomFor(_glyphs, count) ||
            !body.ChargeRoomFor(_codeTable, count) || !body.ChargeRoomFor(_readCodes, count))
            return;
        for (uint32_t i = 0; i < count; ++i)
            _offsets.push_back(offset());
        offset(); // the code-table offset: the codes follow the glyphs read
        for (uint32_t i = 0; i < count; ++i) {
            if (!body.ChargeObject<CBK_SwfShape>())
                return;
            auto glyph = std::make_unique<CBK_SwfShape>();
            glyph->Read(&body);
            _glyphs.push_back(std::move(glyph));
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint16_t code = wideCodes ? body.GetWord() : body.GetByte();
            _codeTable.push_back(code);
            _readCodes.push_back(code);
        }
        if (!(_flags & FONT_HASLAYOUT))
            return;
        _ascent = static_cast<int16_t>(body.GetWord());
        _descent = static_cast<int16_t>(body.GetWord());
        _leading = static_cast<int16_t>(body.GetWord());
        if (!body.ChargeRoomFor(_advances, count) || !body.ChargeRoomFor(_bounds, count) ||
            !body.Charge(count * SwfHeapCost(sizeof(CBK_SwfRect))))
            return;
        for (uint32_t i = 0; i < count; ++i)
            _advances.push_back(static_cast<int16_t>(body.GetWord()));
        for (uint32_t i = 0; i < count; ++i) {
            auto bounds = std::make_unique<CBK_SwfRect>();
            bounds->Read(&body);
            body.ByteAlign();
            _bounds.push_back(std::move(bounds));
        }
        const uint32_t pairs = std::min<uint32_t>(
            body.GetWord(), body.GetRemaining() / CBK_SwfKerningRecord::WireSize(wideCodes));
        if (!body.ChargeRoomFor(_kerning, pairs))
            return;
        for (uint32_t i = 0; i < pairs; ++i) {
            CBK_SwfKerningRecord record(wideCodes);
            record.Read(&body);
            SwfKerningPair pair;
            record.makeKerningPair(pair);
            _kerning.push_back(pair);
        }
    });
}

uint32_t CBK_SwfDefineFont2::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        const uint8_t version = s.GetVersion();
        const std::size_t count = std::min(_glyphs.size(), kMaxCount);
        CBK_SwfStream glyphs(version);
        _offsets.assign(1, 0);
        for (std::size_t i = 0; i < count; ++i) {
            if (_glyphs[i]) {
                _glyphs[i]->Write(&glyphs);
            } else {
                CBK_SwfShape empty;
                empty.Write(&glyphs);
            }
            glyphs.ByteAlign();
            _offsets.push_back(glyphs.GetByteCount());
        }
        const uint64_t total = glyphs.GetByteCount();
        // The largest value written is the code-table offset: table and glyphs together.
        const bool wideOffsets = (count + 1) * 2 + total > 0xFFFF;
        const uint32_t size = wideOffsets ? 4 : 2;

        auto code = [&](std::size_t i) -> uint16_t {
            return i < _codeTable.size() ? _codeTable[i] : 0;
        };
        const std::size_t pairs = std::min(_kerning.size(), kMaxCount);
        bool needWide = false;
        for (std::size_t i = 0; i < count; ++i)
            needWide |= code(i) > 0xFF;
        for (std::size_t i = 0; i < pairs; ++i)
            needWide |= _kerning[i].code1 > 0xFF || _kerning[i].code2 > 0xFF;
        uint8_t flags = _flags;
        if (WideVersion(version))
            flags = static_cast<uint8_t>((flags | FONT_WIDECODES) & ~(FONT_ANSI | FONT_SHIFTJIS));
        if (needWide)
            flags |= FONT_WIDECODES;
        flags = wideOffsets ? (flags | FONT_WIDEOFFSETS) : (flags & ~FONT_WIDEOFFSETS);
        const bool wideCodes = (flags & FONT_WIDECODES) != 0;

        s.Add(GetCharacterId());
        s.Add(flags);
        s.Add(_language);
        const std::wstring name =
            _nameSuffix ? _name + std::to_wstring(unsigned(GetCharacterId())) : _name;
        s.Add(static_cast<uint8_t>(SwfTextSize(name, version, kMaxNameBytes)));
        s.AddText(name, version, kMaxNameBytes);
        s.Add(static_cast<uint16_t>(count));
        auto addOffset = [&](uint64_t value) {
            if (wideOffsets)
                s.Add(static_cast<uint32_t>(value));
            else
                s.Add(static_cast<uint16_t>(value));
        };
        const uint64_t table = (count + 1) * size;
        for (std::size_t i = 0; i < count; ++i)
            addOffset(table + _offsets[i]);
        addOffset(table + total);
        s.Add(&glyphs);
        for (std::size_t i = 0; i < count; ++i) {
            if (wideCodes)
                s.Add(code(i));
            else
                s.Add(static_cast<uint8_t>(code(i)));
        }
        if (!(flags & FONT_HASLAYOUT))
            return;
        s.Add(_ascent);
        s.Add(_descent);
        s.Add(_leading);
        for (std::size_t i = 0; i < count; ++i)
            s.Add(i < _advances.size() ? _advances[i] : int16_t(0));
        for (std::size_t i = 0; i < count; ++i) {
            CBK_SwfRect empty;
            CBK_SwfRect* bounds = i < _bounds.size() && _bounds[i] ? _bounds[i].get() : &empty;
            bounds->Write(&s);
        }
        s.Add(static_cast<uint16_t>(pairs));
        for (std::size_t i = 0; i < pairs; ++i) {
            CBK_SwfKerningRecord record(wideCodes);
            record.code1 = _kerning[i].code1;
            record.code2 = _kerning[i].code2;
            record.adjustment = _kerning[i].adjustment;
            record.Write(&s);
        }
    });
}

} // namespace ravuz

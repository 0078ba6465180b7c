#include "swf/fonts/define_font_info.h"

#include <algorithm>

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

CBK_SwfDefineFontInfo::CBK_SwfDefineFontInfo(uint16_t fontId, const std::wstring& name,
                                             const std::wstring& glyphs, uint8_t flags) {
    Create(fontId, name, glyphs, flags);
}

void CBK_SwfDefineFontInfo::Create(uint16_t fontId, const std::wstring& name,
                                   const std::wstring& glyphs, uint8_t flags) {
    _fontId = fontId;
    _name = name;
    _flags = flags;
    SetGlyphs(glyphs);
    _nameSuffix = false;
}

void CBK_SwfDefineFontInfo::SetGlyphs(const std::wstring& glyphs) {
    if (glyphs.empty())
        return;
    _codes.clear();
    for (wchar_t c : glyphs)
        _codes.push_back(static_cast<uint16_t>(c));
}

void CBK_SwfDefineFontInfo::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _fontId = OffsetU16(_fontId, idOffset);
}

uint32_t CBK_SwfDefineFontInfo::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        _fontId = body.GetWord();
        const uint8_t nameLength = body.GetByte();
        _name.clear();
        if (nameLength)
            body.GetString(_name, nameLength, false);
        _flags = body.GetByte();
        if (HasLanguage())
            _language = body.GetByte();
        _codes.clear();
        // What is left of the tag, never less than nothing.
        const uint32_t left = body.GetRemaining();
        if (!body.ChargeRoomFor(_codes, (_flags & FLAG_WIDE_CODES) ? left / 2 : left))
            return;
        if (_flags & FLAG_WIDE_CODES) {
            for (uint32_t i = 0; i < left / 2; ++i)
                _codes.push_back(body.GetWord());
        } else {
            for (uint32_t i = 0; i < left; ++i)
                _codes.push_back(body.GetByte());
        }
    });
}

uint32_t CBK_SwfDefineFontInfo::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        const uint8_t version = s.GetVersion();
        const bool needWide =
            std::any_of(_codes.begin(), _codes.end(), [](uint16_t code) { return code > 0xFF; });
        const uint8_t flags = needWide ? (_flags | FLAG_WIDE_CODES) : _flags;
        s.Add(_fontId);
        const std::wstring name = _nameSuffix ? _name + std::to_wstring(unsigned(_fontId)) : _name;
        s.Add(static_cast<uint8_t>(SwfTextSize(name, version, kMaxNameBytes)));
        s.AddText(name, version, kMaxNameBytes);
        s.Add(flags);
        if (HasLanguage())
            s.Add(_language);
        for (uint16_t code : _codes) {
            if (flags & FLAG_WIDE_CODES)
                s.Add(code);
            else
                s.Add(static_cast<uint8_t>(code));
        }
    });
}

} // namespace ravuz

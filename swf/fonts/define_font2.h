// CBK_SwfDefineFont2 (tag 48): glyph shapes with a name, a code table and, with the layout
// flag, ascent, descent, leading, advances, glyph bounds and kerning.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/records/rect.h"
#include "swf/shapes/shape.h"

namespace ravuz {

struct SwfKerningPair {
    uint16_t code1 = 0;
    uint16_t code2 = 0;
    int16_t adjustment = 0; // em units
};

// One kerning record on the wire: codes of 16 bits (wide) or 8 bits, then the adjustment.
class CBK_SwfKerningRecord {
public:
    explicit CBK_SwfKerningRecord(bool wide = false) : wideCodes(wide) {}

    uint32_t Read(CBK_SwfReader* reader);
    uint32_t Write(CBK_SwfStream* stream);
    void makeKerningPair(SwfKerningPair& pair) const;
    static uint32_t WireSize(bool wide) { return wide ? 6 : 4; }

    uint16_t code1 = 0;
    uint16_t code2 = 0;
    int16_t adjustment = 0;
    bool wideCodes;
};

class CBK_SwfDefineFont2 : public CBK_SwfCharacterTag {
public:
    static constexpr uint8_t FONT_BOLD = 0x01;
    static constexpr uint8_t FONT_ITALIC = 0x02;
    static constexpr uint8_t FONT_WIDECODES = 0x04;
    static constexpr uint8_t FONT_WIDEOFFSETS = 0x08;
    static constexpr uint8_t FONT_ANSI = 0x10;
    static constexpr uint8_t FONT_SMALL_TEXT = 0x20;
    static constexpr uint8_t FONT_SHIFTJIS = 0x40;
    static constexpr uint8_t FONT_HASLAYOUT = 0x80;
    // The name's length is one byte.
    static constexpr std::size_t kMaxNameBytes = 255;

    CBK_SwfDefineFont2() { CBK_SwfDefineFont2::Create(); }
    CBK_SwfDefineFont2(const std::wstring& name, uint16_t id, uint8_t flags);
    CBK_SwfDefineFont2(const CBK_SwfDefineFont2& other);
    CBK_SwfDefineFont2& operator=(const CBK_SwfDefineFont2& other);
    ~CBK_SwfDefineFont2() override;

    uint16_t GetTagId() const override { return kSwfTagDefineFont2; }
    uint32_t Read(CBK_SwfReader* reader) override;
    // Offsets are 32-bit when the table and the glyphs exceed 65535 bytes. Codes are 16-bit
    // from SWF 6 on and whenever a code (or a kerning code) exceeds 255. The name is cut at
    // a character boundary to fit its length byte. Every per-glyph list is written with one
    // entry per glyph (missing advances as 0, missing bounds as empty rectangles).
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    // Id 1, flags FONT_ANSI, language 0, no metrics, no name suffix.
    void Create() override;
    void Create(uint16_t id, const std::wstring& name, uint8_t flags);
    // Frees every glyph, bounds and kerning pair and empties every list and the name.
    virtual void Destroy();

    // Appends one glyph with its code, advance and bounds (glyph and bounds taken over).
    void AddEntry(uint16_t code, CBK_SwfShape* glyph, int16_t advance, CBK_SwfRect* bounds);
    void AddKerningPair(const SwfKerningPair& pair) { _kerning.push_back(pair); }
    // Stores the metrics and sets FONT_HASLAYOUT.
    void SetTextMetrics(int16_t ascent, int16_t descent, int16_t leading);
    // The bounds of glyph `index`, or null past the last bounds.
    CBK_SwfRect* GetBoundsFor(uint16_t index) const;

    // Copies a stored tag (with a 6-byte record header) into the stream with `id` in place
    // of its font id. Returns 0; a tag too short to hold an id is not copied.
    static uint32_t writeFromBuffer(const char* tag, uint32_t length, uint16_t id,
                                    CBK_SwfStream& stream);

    uint8_t GetFlags() const { return _flags; }
    void SetFlags(uint8_t flags) { _flags = flags; }
    uint8_t GetLanguage() const { return _language; }
    void SetLanguage(uint8_t language) { _language = language; }
    const std::wstring& GetName() const { return _name; }
    void SetName(const std::wstring& name) { _name = name; }
    // With the suffix on, the name is written with the font id in decimal after it.
    void SetNameSuffix(bool on) { _nameSuffix = on; }
    bool GetNameSuffix() const { return _nameSuffix; }
    int16_t GetAscent() const { return _ascent; }
    int16_t GetDescent() const { return _descent; }
    int16_t GetLeading() const { return _leading; }

    std::size_t GetGlyphCount() const { return _glyphs.size(); }
    CBK_SwfShape* GetGlyph(std::size_t index) const {
        return index < _glyphs.size() ? _glyphs[index].get() : nullptr;
    }
    const std::vector<uint32_t>& GetOffsets() const { return _offsets; }
    const std::vector<uint16_t>& GetReadCodes() const { return _readCodes; }
    const std::vector<uint16_t>& GetCodeTable() const { return _codeTable; }
    const std::vector<int16_t>& GetAdvances() const { return _advances; }
    const std::vector<SwfKerningPair>& GetKerning() const { return _kerning; }

private:
    uint8_t _flags = FONT_ANSI;
    uint8_t _language = 0;
    std::wstring _name;
    std::vector<uint32_t> _offsets;
    std::vector<uint16_t> _readCodes;
    std::vector<std::unique_ptr<CBK_SwfShape>> _glyphs;
    std::vector<std::unique_ptr<CBK_SwfRect>> _bounds;
    std::vector<SwfKerningPair> _kerning;
    std::vector<int16_t> _advances;
    std::vector<uint16_t> _codeTable;
    int16_t _ascent = 0;
    int16_t _descent = 0;
    int16_t _leading = 0;
    bool _nameSuffix = false;
};

} // namespace ravuz

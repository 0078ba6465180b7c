// CBK_SwfDefineFontInfo (tag 13) and CBK_SwfDefineFontInfo2 (tag 62): the name, style flags
// and code table of a DefineFont.
#pragma once

#include <string>
#include <vector>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfDefineFontInfo : public CBK_SwfTag {
public:
    static constexpr uint8_t FLAG_WIDE_CODES = 0x01;
    static constexpr uint8_t FLAG_BOLD = 0x02;
    static constexpr uint8_t FLAG_ITALIC = 0x04;
    static constexpr uint8_t FLAG_ANSI = 0x08;
    static constexpr uint8_t FLAG_SHIFTJIS = 0x10;
    static constexpr std::size_t kMaxNameBytes = 255;

    CBK_SwfDefineFontInfo() = default;
    // Font id, name, the characters of the code table (when not empty) and flags.
    CBK_SwfDefineFontInfo(uint16_t fontId, const std::wstring& name, const std::wstring& glyphs,
                          uint8_t flags);
    ~CBK_SwfDefineFontInfo() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineFontInfo; }
    // The codes fill what is left of the tag after the fixed fields.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The name is cut at a character boundary to fit its length byte; codes are 16-bit with
    // FLAG_WIDE_CODES, which is set when a code exceeds 255.
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    // Empties the name.
    virtual void Destroy() { _name.clear(); }

    using CBK_SwfTag::Create;
    void Create(uint16_t fontId, const std::wstring& name, const std::wstring& glyphs,
                uint8_t flags);
    // When not empty, the code table becomes the characters (each taken as 16 bits).
    void SetGlyphs(const std::wstring& glyphs);

    uint16_t GetFontId() const { return _fontId; }
    void SetFontId(uint16_t id) { _fontId = id; }
    const std::wstring& GetName() const { return _name; }
    void SetName(const std::wstring& name) { _name = name; }
    uint8_t GetFlags() const { return _flags; }
    void SetFlags(uint8_t flags) { _flags = flags; }
    const std::vector<uint16_t>& GetCodeTable() const { return _codes; }
    void SetNameSuffix(bool on) { _nameSuffix = on; }

protected:
    // DefineFontInfo2 has a language byte after the flags.
    virtual bool HasLanguage() const { return false; }

    uint16_t _fontId = 0;
    std::wstring _name;
    uint8_t _flags = 0;
    std::vector<uint16_t> _codes;
    bool _nameSuffix = false;
    uint8_t _language = 0;
};

class CBK_SwfDefineFontInfo2 : public CBK_SwfDefineFontInfo {
public:
    // Font id 1, "Times New Roman", no codes, flags 0.
    CBK_SwfDefineFontInfo2() : CBK_SwfDefineFontInfo(1, L"Times New Roman", L"", 0) {}
    CBK_SwfDefineFontInfo2(uint16_t fontId, const std::wstring& name, const std::wstring& glyphs,
                           uint8_t flags)
        : CBK_SwfDefineFontInfo(fontId, name, glyphs, flags) {}

    uint16_t GetTagId() const override { return kSwfTagDefineFontInfo2; }
    uint8_t GetLanguage() const { return _language; }
    void SetLanguage(uint8_t language) { _language = language; }

protected:
    bool HasLanguage() const override { return true; }
};

} // namespace ravuz

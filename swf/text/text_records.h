// The text records of static texts: style changes (font, colour, offsets, height) and glyph
// records (glyph indices with their advances).
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/records/color.h"

namespace ravuz {

class CBK_SwfTextRecord : public CBK_SwfObj {
public:
    // The top bit of a record's first byte marks a style change.
    static constexpr uint8_t kStyleRecord = 0x80;

    explicit CBK_SwfTextRecord(uint8_t recordByte = 0, bool rgb = false)
        : _rgb(rgb), _recordByte(recordByte) {}
    ~CBK_SwfTextRecord() override = default;

    // True when the record belongs to a DefineText (colours without alpha).
    virtual void SetSwf3(bool rgb) { _rgb = rgb; }
    virtual bool isSwf3() const { return _rgb; }
    virtual void Destroy() {}
    virtual void Create() {}
    virtual bool IsGlyphRecord() const { return false; }

    uint8_t GetRecordByte() const { return _recordByte; }

protected:
    CBK_SwfTextRecord(const CBK_SwfTextRecord&) = default;
    CBK_SwfTextRecord& operator=(const CBK_SwfTextRecord&) = default;

    bool _rgb;
    uint8_t _recordByte;
};

class CBK_SwfTextStyleChangeRecord : public CBK_SwfTextRecord {
public:
    static constexpr uint8_t TEXT_HAS_X_OFFSET = 0x01;
    static constexpr uint8_t TEXT_HAS_Y_OFFSET = 0x02;
    static constexpr uint8_t TEXT_HAS_COLOR = 0x04;
    static constexpr uint8_t TEXT_HAS_FONT = 0x08;

    explicit CBK_SwfTextStyleChangeRecord(uint8_t recordByte = kStyleRecord)
        : CBK_SwfTextRecord(recordByte) {}
    CBK_SwfTextStyleChangeRecord(const CBK_SwfTextStyleChangeRecord& other);
    // Copies keep the colour's class.
    CBK_SwfTextStyleChangeRecord& operator=(const CBK_SwfTextStyleChangeRecord& other);
    ~CBK_SwfTextStyleChangeRecord() override = default;

    // The fields after the record byte, which the text has read.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The record byte (its top bit set) and the fields it announces; the colour by its class,
    // or black of the record's class when announced but absent.
    uint32_t Write(CBK_SwfStream* stream) override;
    void Destroy() override { _color.reset(); }

    // Both also announce the font.
    void SetFontId(uint16_t id);
    void SetFontHeight(uint16_t height);
    // Each takes the colour over and announces it.
    void SetColor(CBK_SwfColor* color);
    void SetColorAlpha(CBK_SwfColorAlpha* color) { SetColor(color); }
    void SetXOffset(int16_t x);
    void SetYOffset(int16_t y);
    void SetOffset(int16_t x, int16_t y) {
        SetXOffset(x);
        SetYOffset(y);
    }

    void SetHasFont(bool on) { SetFlag(TEXT_HAS_FONT, on); }
    uint8_t GetHasFont() const { return (_recordByte & TEXT_HAS_FONT) ? 1 : 0; }
    void SetHasColor(bool on) { SetFlag(TEXT_HAS_COLOR, on); }
    uint8_t GetHasColor() const { return (_recordByte & TEXT_HAS_COLOR) ? 1 : 0; }
    void SetHasXOffset(bool on) { SetFlag(TEXT_HAS_X_OFFSET, on); }
    uint8_t GetHasXOffset() const { return (_recordByte & TEXT_HAS_X_OFFSET) ? 1 : 0; }
    void SetHasYOffset(bool on) { SetFlag(TEXT_HAS_Y_OFFSET, on); }
    uint8_t GetHasYOffset() const { return (_recordByte & TEXT_HAS_Y_OFFSET) ? 1 : 0; }

    uint16_t GetFontId() const { return _fontId; }
    uint16_t GetFontHeight() const { return _height; }
    CBK_SwfColor* GetColor() const { return _color.get(); }
    int16_t GetXOffset() const { return _xOffset; }
    int16_t GetYOffset() const { return _yOffset; }
    // The flags as written: an offset that is not 0 is written even when not announced.
    uint8_t GetWrittenByte() const;

    // What `later` announces replaces this record's fields; the two apply as one.
    void MergeFrom(const CBK_SwfTextStyleChangeRecord& later);

private:
    void SetFlag(uint8_t flag, bool on) {
        _recordByte = static_cast<uint8_t>(on ? (_recordByte | flag) : (_recordByte & ~flag));
    }

    uint16_t _fontId = 0;
    std::unique_ptr<CBK_SwfColor> _color;
    int16_t _xOffset = 0;
    int16_t _yOffset = 0;
    uint16_t _height = 0;
};

struct SwfGlyphEntry {
    uint32_t index = 0;
    int32_t advance = 0; // twips
};

class CBK_SwfTextGlyphRecord : public CBK_SwfTextRecord {
public:
    // A count byte holds no more; longer records are written as several.
    static constexpr std::size_t kMaxEntries = 255;

    explicit CBK_SwfTextGlyphRecord(uint8_t count = 0, bool rgb = false)
        : CBK_SwfTextRecord(count, rgb) {}
    CBK_SwfTextGlyphRecord(const CBK_SwfTextGlyphRecord& other) = default;
    CBK_SwfTextGlyphRecord& operator=(const CBK_SwfTextGlyphRecord& other) = default;
    ~CBK_SwfTextGlyphRecord() override = default;

    // As many entries as the record byte counts and the bytes left can hold, then byte
    // alignment.
    uint32_t Read(CBK_SwfReader* reader) override;
    // u8 count, the entries, alignment; past 255 entries the rest follows as further
    // records, each after an empty style-change byte.
    uint32_t Write(CBK_SwfStream* stream) override;
    void Destroy() override { _entries.clear(); }
    bool IsGlyphRecord() const override { return true; }

    void SetBits(uint8_t glyphBits, uint8_t advanceBits) {
        _glyphBits = glyphBits;
        _advanceBits = advanceBits;
    }
    uint8_t GetGlyphBits() const { return _glyphBits; }
    uint8_t GetAdvanceBits() const { return _advanceBits; }
    void AddEntry(uint32_t index, int32_t advance) { _entries.push_back({index, advance}); }
    const std::vector<SwfGlyphEntry>& GetEntries() const { return _entries; }
    std::vector<SwfGlyphEntry>& GetEntries() { return _entries; }

private:
    std::vector<SwfGlyphEntry> _entries;
    uint8_t _glyphBits = 0;
    uint8_t _advanceBits = 0;
};

} // namespace ravuz

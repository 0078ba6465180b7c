#include "swf/text/text_records.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

// ---- CBK_SwfTextStyleChangeRecord

CBK_SwfTextStyleChangeRecord::CBK_SwfTextStyleChangeRecord(
    const CBK_SwfTextStyleChangeRecord& other)
    : CBK_SwfTextRecord(other) {
    *this = other;
}

CBK_SwfTextStyleChangeRecord&
CBK_SwfTextStyleChangeRecord::operator=(const CBK_SwfTextStyleChangeRecord& other) {
    if (this != &other) {
        CBK_SwfTextRecord::operator=(other);
        _fontId = other._fontId;
        _color = SwfCopyColor(other._color.get());
        _xOffset = other._xOffset;
        _yOffset = other._yOffset;
        _height = other._height;
    }
    return *this;
}

void CBK_SwfTextStyleChangeRecord::SetFontId(uint16_t id) {
    _fontId = id;
    SetHasFont(true);
}

void CBK_SwfTextStyleChangeRecord::SetFontHeight(uint16_t height) {
    _height = height;
    SetHasFont(true);
}

void CBK_SwfTextStyleChangeRecord::SetColor(CBK_SwfColor* color) {
    _color.reset(color);
    SetHasColor(true);
}

void CBK_SwfTextStyleChangeRecord::SetXOffset(int16_t x) {
    _xOffset = x;
    SetHasXOffset(true);
}

void CBK_SwfTextStyleChangeRecord::SetYOffset(int16_t y) {
    _yOffset = y;
    SetHasYOffset(true);
}

uint8_t CBK_SwfTextStyleChangeRecord::GetWrittenByte() const {
    uint8_t byte = static_cast<uint8_t>(kStyleRecord | (_recordByte & 0x7F));
    if (_xOffset != 0)
        byte |= TEXT_HAS_X_OFFSET;
    if (_yOffset != 0)
        byte |= TEXT_HAS_Y_OFFSET;
    return byte;
}

void CBK_SwfTextStyleChangeRecord::MergeFrom(const CBK_SwfTextStyleChangeRecord& later) {
    const uint8_t announced = later.GetWrittenByte();
    if (announced & TEXT_HAS_FONT) {
        _fontId = later._fontId;
        _height = later._height;
    }
    if (announced & TEXT_HAS_COLOR)
        _color = SwfCopyColor(later._color.get());
    if (announced & TEXT_HAS_X_OFFSET)
        _xOffset = later._xOffset;
    if (announced & TEXT_HAS_Y_OFFSET)
        _yOffset = later._yOffset;
    _recordByte = static_cast<uint8_t>(GetWrittenByte() | announced);
}

uint32_t CBK_SwfTextStyleChangeRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    _fontId = (_recordByte & TEXT_HAS_FONT) ? reader->GetWord() : 0;
    if ((_recordByte & TEXT_HAS_COLOR) && reader->ChargeObject<CBK_SwfColorAlpha>()) {
        _color = SwfNewColor(!_rgb);
        _color->Read(reader);
    }
    if (_recordByte & TEXT_HAS_X_OFFSET)
        _xOffset = static_cast<int16_t>(reader->GetWord());
    if (_recordByte & TEXT_HAS_Y_OFFSET)
        _yOffset = static_cast<int16_t>(reader->GetWord());
    if (_recordByte & TEXT_HAS_FONT)
        _height = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfTextStyleChangeRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint8_t byte = GetWrittenByte();
    stream->Add(byte);
    if (byte & TEXT_HAS_FONT)
        stream->Add(_fontId);
    if (byte & TEXT_HAS_COLOR)
        SwfWriteColor(stream, _color.get(), !_rgb);
    if (byte & TEXT_HAS_X_OFFSET)
        stream->Add(_xOffset);
    if (byte & TEXT_HAS_Y_OFFSET)
        stream->Add(_yOffset);
    if (byte & TEXT_HAS_FONT)
        stream->Add(_height);
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfTextGlyphRecord

uint32_t CBK_SwfTextGlyphRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    uint64_t count = _recordByte;
    const uint64_t bits = uint64_t(_glyphBits) + _advanceBits;
    if (bits)
        count = std::min<uint64_t>(count, uint64_t(reader->GetRemaining()) * 8 / bits);
    // Glyphs of no bits at all cost their entries only: the movie's budget bounds them.
    if (count && !reader->Charge(SwfHeapCost(count * sizeof(SwfGlyphEntry))))
        count = 0;
    if (bits == 0)
        _entries.assign(count, SwfGlyphEntry{}); // fields of no bits are all 0
    _entries.reserve(count);
    for (uint64_t i = bits ? 0 : count; i < count; ++i) {
        SwfGlyphEntry entry;
        entry.index = static_cast<uint32_t>(reader->GetBits(_glyphBits, false));
        entry.advance = reader->GetBits(_advanceBits, true);
        _entries.push_back(entry);
    }
    reader->ByteAlign();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfTextGlyphRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(_entries.size() - at, kMaxEntries);
        if (at)
            stream->Add(kStyleRecord);
        stream->Add(static_cast<uint8_t>(n));
        for (std::size_t i = at; i < at + n; ++i) {
            stream->Add(_entries[i].index, _glyphBits);
            stream->Add(static_cast<uint32_t>(_entries[i].advance), _advanceBits);
        }
        stream->ByteAlign();
        at += n;
    } while (at < _entries.size());
    return stream->GetByteCount() - before;
}

} // namespace ravuz

// DefineBitsLossless (20) and DefineBitsLossless2 (36, colours with alpha): zlib-compressed
// colour table and pixel rows, as the caller compressed them.
#pragma once

#include <cstddef>
#include <vector>

#include "swf/base/swf_tag.h"

class CBK_Path;

namespace ravuz {

class CBK_SwfDefineBitsLossless : public CBK_SwfCharacterTag {
public:
    static constexpr uint8_t kFormatColorMapped = 3;
    static constexpr uint8_t kFormat15Bit = 4;
    static constexpr uint8_t kFormat32Bit = 5;

    explicit CBK_SwfDefineBitsLossless(int32_t format = kFormat32Bit)
        : _format(static_cast<uint8_t>(format)) {}
    ~CBK_SwfDefineBitsLossless() override = default;

    // The first tag of this kind in the movie held by the application resource 'xDAS' of
    // that id; the caller's, null when the resource or such a tag is missing. (The path is
    // not used.)
    static CBK_SwfDefineBitsLossless* CreateFromResource(int32_t resourceId, CBK_Path*);

    uint16_t GetTagId() const override { return kSwfTagDefineBitsLossless; }
    // The payload is what the tag holds after its head.
    uint32_t Read(CBK_SwfReader* reader) override;
    // Always with the long record header.
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    uint16_t GetBitmapWidth() const { return _width; }
    void SetBitmapWidth(uint16_t width) { _width = width; }
    uint16_t GetBitmapHeight() const { return _height; }
    void SetBitmapHeight(uint16_t height) { _height = height; }
    uint8_t GetBitmapFormat() const { return _format; }
    void Destroy();

    // The number of colours less one; written only for the colour-mapped format.
    void SetBitmapColorTableSize(uint8_t size) { _colorTableSize = size; }
    uint8_t GetBitmapColorTableSize() const { return _colorTableSize; }
    void SetPayload(const uint8_t* bytes, std::size_t count);
    const std::vector<uint8_t>& GetPayload() const { return _payload; }

private:
    uint8_t _colorTableSize = 0;
    uint16_t _width = 0;
    uint16_t _height = 0;
    uint8_t _format;
    std::vector<uint8_t> _payload;
};

class CBK_SwfDefineBitsLossless2 : public CBK_SwfDefineBitsLossless {
public:
    explicit CBK_SwfDefineBitsLossless2(int32_t format = kFormat32Bit)
        : CBK_SwfDefineBitsLossless(format) {}
    ~CBK_SwfDefineBitsLossless2() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineBitsLossless2; }
};

} // namespace ravuz

// The styles of morph shapes, each holding a start and an end value: gradient records,
// gradients, fill styles, line styles and their arrays. Every colour carries alpha.
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/records/color.h"
#include "swf/records/matrix.h"
#include "swf/styles/style_array.h"

namespace ravuz {

class CBK_SwfMorphGradientRecord : public CBK_SwfObj {
public:
    CBK_SwfMorphGradientRecord() = default;
    CBK_SwfMorphGradientRecord(const CBK_SwfMorphGradientRecord& other) : CBK_SwfObj() {
        *this = other;
    }
    CBK_SwfMorphGradientRecord& operator=(const CBK_SwfMorphGradientRecord& other);
    ~CBK_SwfMorphGradientRecord() override = default;

    void Destroy();
    // u8 start ratio, start colour, u8 end ratio, end colour (absent colours as black).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t GetStartRatio() const { return _startRatio; }
    uint8_t GetEndRatio() const { return _endRatio; }
    void SetRatios(uint8_t start, uint8_t end) {
        _startRatio = start;
        _endRatio = end;
    }
    CBK_SwfColorAlpha* GetStartColor() const { return _startColor.get(); }
    CBK_SwfColorAlpha* GetEndColor() const { return _endColor.get(); }
    // Each frees the colour held and takes the new one over.
    void SetStartColor(CBK_SwfColorAlpha* color) { _startColor.reset(color); }
    void SetEndColor(CBK_SwfColorAlpha* color) { _endColor.reset(color); }

    static constexpr uint32_t kWireSize = 10;

private:
    std::unique_ptr<CBK_SwfColorAlpha> _startColor;
    std::unique_ptr<CBK_SwfColorAlpha> _endColor;
    uint8_t _startRatio = 0;
    uint8_t _endRatio = 0;
};

class CBK_SwfMorphGradient : public CBK_SwfObj {
public:
    static constexpr std::size_t kMaxRecords = 255;

    CBK_SwfMorphGradient() = default;
    CBK_SwfMorphGradient(const CBK_SwfMorphGradient& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfMorphGradient& operator=(const CBK_SwfMorphGradient& other);
    ~CBK_SwfMorphGradient() override = default;

    void Destroy() { _records.clear(); }
    // Records beyond kMaxRecords are not written.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    // Takes ownership; null is ignored.
    void AddRecord(CBK_SwfMorphGradientRecord* record);
    std::size_t GetRecordCount() const { return _records.size(); }
    CBK_SwfMorphGradientRecord* GetRecord(std::size_t index) const {
        return index < _records.size() ? _records[index].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<CBK_SwfMorphGradientRecord>> _records;
};

class CBK_SwfMorphFillStyle : public CBK_SwfObj {
public:
    static constexpr uint8_t SOLID_FILL = 0x00;
    static constexpr uint8_t LINEAR_FILL = 0x10;
    static constexpr uint8_t RADIAL_FILL = 0x12;
    static constexpr uint8_t TILED_FILL = 0x40;
    static constexpr uint8_t CLIPPED_FILL = 0x41;
    static constexpr uint8_t TILED_FILL_NO_SMOOTH = 0x42;
    static constexpr uint8_t CLIPPED_FILL_NO_SMOOTH = 0x43;
    static constexpr uint16_t kNoBitmap = 0xFFFF;

    static bool IsGradientType(uint8_t type) { return type == LINEAR_FILL || type == RADIAL_FILL; }
    // Every bitmap fill, smoothed or not, tiled or clipped, carries an id and two matrices.
    static bool IsBitmapType(uint8_t type) { return type >= TILED_FILL && type <= 0x43; }

    CBK_SwfMorphFillStyle() = default;
    CBK_SwfMorphFillStyle(const CBK_SwfMorphFillStyle& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfMorphFillStyle& operator=(const CBK_SwfMorphFillStyle& other);
    ~CBK_SwfMorphFillStyle() override = default;

    // Everything to 0 or none (what was held is freed).
    void Create();
    void Destroy();
    // A member the type needs but the style lacks is written in its empty form.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t GetType() const { return _type; }
    void SetType(uint8_t type) { _type = type; }
    uint16_t GetBitmapId() const { return _bitmapId; }
    void SetBitmapId(uint16_t id) { _bitmapId = id; }
    CBK_SwfColorAlpha* GetStartColor() const { return _startColor.get(); }
    CBK_SwfColorAlpha* GetEndColor() const { return _endColor.get(); }
    CBK_SwfMorphGradient* GetGradient() const { return _gradient.get(); }
    CBK_SwfMatrix* GetStartMatrix() const { return _startMatrix.get(); }
    CBK_SwfMatrix* GetEndMatrix() const { return _endMatrix.get(); }
    // Each frees what it replaces and takes the new object over.
    void SetStartColor(CBK_SwfColorAlpha* color) { _startColor.reset(color); }
    void SetEndColor(CBK_SwfColorAlpha* color) { _endColor.reset(color); }
    void SetGradient(CBK_SwfMorphGradient* gradient) { _gradient.reset(gradient); }
    void SetStartMatrix(CBK_SwfMatrix* matrix) { _startMatrix.reset(matrix); }
    void SetEndMatrix(CBK_SwfMatrix* matrix) { _endMatrix.reset(matrix); }

    // Bitmap fills move their bitmap id (kNoBitmap excepted) by the character-id offset.
    void OffsetBitmapId(int32_t idOffset);

private:
    uint8_t _type = SOLID_FILL;
    std::unique_ptr<CBK_SwfColorAlpha> _startColor;
    std::unique_ptr<CBK_SwfColorAlpha> _endColor;
    std::unique_ptr<CBK_SwfMorphGradient> _gradient;
    std::unique_ptr<CBK_SwfMatrix> _startMatrix;
    std::unique_ptr<CBK_SwfMatrix> _endMatrix;
    uint16_t _bitmapId = 0;
};

class CBK_SwfMorphLineStyle : public CBK_SwfObj {
public:
    CBK_SwfMorphLineStyle() = default;
    CBK_SwfMorphLineStyle(const CBK_SwfMorphLineStyle& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfMorphLineStyle& operator=(const CBK_SwfMorphLineStyle& other);
    ~CBK_SwfMorphLineStyle() override = default;

    void Destroy();
    // u16 start width, u16 end width, start colour, end colour.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint16_t GetStartWidth() const { return _startWidth; }
    uint16_t GetEndWidth() const { return _endWidth; }
    void SetWidths(uint16_t start, uint16_t end) {
        _startWidth = start;
        _endWidth = end;
    }
    CBK_SwfColorAlpha* GetStartColor() const { return _startColor.get(); }
    CBK_SwfColorAlpha* GetEndColor() const { return _endColor.get(); }
    void SetStartColor(CBK_SwfColorAlpha* color) { _startColor.reset(color); }
    void SetEndColor(CBK_SwfColorAlpha* color) { _endColor.reset(color); }

    static constexpr uint32_t kWireSize = 12;

private:
    uint16_t _startWidth = 0;
    uint16_t _endWidth = 0;
    std::unique_ptr<CBK_SwfColorAlpha> _startColor;
    std::unique_ptr<CBK_SwfColorAlpha> _endColor;
};

class CBK_SwfMorphFillStyleArray : public CBK_SwfStyleArray<CBK_SwfMorphFillStyle> {
public:
    CBK_SwfMorphFillStyleArray() : CBK_SwfStyleArray(true) {}

    // Takes ownership and appends; null is ignored.
    void AddFillStyle(CBK_SwfMorphFillStyle* style) { Append(style); }
    CBK_SwfMorphFillStyle* GetFillStyle(std::size_t index) const { return At(index); }
    // Shifts the bitmap ids of the bitmap fills.
    void OffsetInfo(int32_t idOffset);

protected:
    std::unique_ptr<CBK_SwfMorphFillStyle> NewStyle() const override {
        return std::make_unique<CBK_SwfMorphFillStyle>();
    }
    uint32_t MinStyleSize() const override { return 1; }
};

class CBK_SwfMorphLineStyleArray : public CBK_SwfStyleArray<CBK_SwfMorphLineStyle> {
public:
    CBK_SwfMorphLineStyleArray() : CBK_SwfStyleArray(true) {}

    // Takes ownership and appends; null is ignored.
    void AddLineStyle(CBK_SwfMorphLineStyle* style) { Append(style); }
    CBK_SwfMorphLineStyle* GetLineStyle(std::size_t index) const { return At(index); }

protected:
    std::unique_ptr<CBK_SwfMorphLineStyle> NewStyle() const override {
        return std::make_unique<CBK_SwfMorphLineStyle>();
    }
    uint32_t MinStyleSize() const override { return CBK_SwfMorphLineStyle::kWireSize; }
};

} // namespace ravuz

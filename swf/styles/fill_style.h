// CBK_SwfFillStyle (FILLSTYLE) and CBK_SwfFillStyleArray (FILLSTYLEARRAY).
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/records/color.h"
#include "swf/records/matrix.h"
#include "swf/styles/gradient.h"
#include "swf/styles/style_array.h"

namespace ravuz {

class CBK_SwfFillStyle : public CBK_SwfObj {
public:
    static constexpr uint8_t SOLID_FILL = 0x00;
    static constexpr uint8_t LINEAR_FILL = 0x10;
    static constexpr uint8_t RADIAL_FILL = 0x12;
    static constexpr uint8_t TILED_FILL = 0x40;
    static constexpr uint8_t CLIPPED_FILL = 0x41;
    static constexpr uint8_t TILED_FILL_NO_SMOOTH = 0x42;
    static constexpr uint8_t CLIPPED_FILL_NO_SMOOTH = 0x43;
    // The bitmap id that stands for no bitmap; never shifted.
    static constexpr uint16_t kNoBitmap = 0xFFFF;

    static bool IsGradientType(uint8_t type) { return type == LINEAR_FILL || type == RADIAL_FILL; }
    static bool IsBitmapType(uint8_t type) { return type >= TILED_FILL && type <= 0x43; }

    // An empty solid fill: no colour, bitmap id 0.
    explicit CBK_SwfFillStyle(bool alpha = false) : _alpha(alpha) {}
    // A solid fill that takes the colour over.
    CBK_SwfFillStyle(CBK_SwfColor* color, bool alpha);
    CBK_SwfFillStyle(const CBK_SwfFillStyle& other) : CBK_SwfObj() { *this = other; }
    // Copies keep each colour's class.
    CBK_SwfFillStyle& operator=(const CBK_SwfFillStyle& other);
    ~CBK_SwfFillStyle() override = default;

    // A solid fill: takes the colour over and frees every other member.
    void Create(CBK_SwfColor* color, bool alpha);
    // A bitmap fill: type, bitmap id and matrix (taken over); colour and gradient freed, the
    // alpha flag cleared.
    void Create(uint8_t type, uint16_t bitmapId, CBK_SwfMatrix* matrix);
    void Destroy();

    // A member the type needs but the style lacks is written in its empty form (black, an
    // empty matrix, an empty gradient), so that the bytes always read back as written.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t GetType() const { return _type; }
    void SetType(uint8_t type) { _type = type; }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }
    uint16_t GetBitmapId() const { return _bitmapId; }
    void SetBitmapId(uint16_t id) { _bitmapId = id; }
    CBK_SwfColor* GetColor() const { return _color.get(); }
    CBK_SwfGradient* GetGradient() const { return _gradient.get(); }
    CBK_SwfMatrix* GetMatrix() const { return _matrix.get(); }
    // Each frees what it replaces and takes the new object over.
    void SetColor(CBK_SwfColor* color) { _color.reset(color); }
    void SetGradient(CBK_SwfGradient* gradient) { _gradient.reset(gradient); }
    void SetMatrix(CBK_SwfMatrix* matrix) { _matrix.reset(matrix); }

    // Bitmap fills move their bitmap id (kNoBitmap excepted) by the character-id offset.
    void OffsetBitmapId(int32_t idOffset);

private:
    bool _alpha = false;
    uint8_t _type = SOLID_FILL;
    std::unique_ptr<CBK_SwfColor> _color;
    std::unique_ptr<CBK_SwfGradient> _gradient;
    std::unique_ptr<CBK_SwfMatrix> _matrix;
    uint16_t _bitmapId = 0;
};

class CBK_SwfFillStyleArray : public CBK_SwfStyleArray<CBK_SwfFillStyle> {
public:
    explicit CBK_SwfFillStyleArray(bool alpha = false) : CBK_SwfStyleArray(alpha) {}

    // Takes ownership and appends; null is ignored.
    void AddFillStyle(CBK_SwfFillStyle* style) { Append(style); }
    CBK_SwfFillStyle* GetFillStyle(std::size_t index) const { return At(index); }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

    // Shifts the bitmap ids of the bitmap fills by the character-id offset.
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t);

protected:
    std::unique_ptr<CBK_SwfFillStyle> NewStyle() const override {
        return std::make_unique<CBK_SwfFillStyle>(_alpha);
    }
    // Every fill style takes at least its type byte.
    uint32_t MinStyleSize() const override { return 1; }
};

} // namespace ravuz

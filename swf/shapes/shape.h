// CBK_SwfShape (SHAPE: glyphs and morph shapes) and CBK_SwfShapeWithStyle (SHAPEWITHSTYLE).
#pragma once

#include <memory>
#include <vector>

#include "swf/shapes/shape_records.h"
#include "swf/styles/fill_style.h"
#include "swf/styles/line_style.h"

namespace ravuz {

class CBK_SwfShape : public CBK_SwfObj {
public:
    CBK_SwfShape() = default;
    CBK_SwfShape(const CBK_SwfShape& other);
    // Copies the widths, the alpha flag and every record; style-change copies belong to this
    // shape.
    virtual CBK_SwfShape& operator=(const CBK_SwfShape& other);
    ~CBK_SwfShape() override;

    // The widths, then records up to the end record, then byte alignment.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The header widths (set by Create, SetFillBits, SetLineBits), the records up to the
    // first end record (one is written when the list has none), byte alignment. Writing
    // again gives the same bytes.
    uint32_t Write(CBK_SwfStream* stream) override;
    virtual void Create(uint8_t fillBits, uint8_t lineBits);
    virtual void Destroy();
    // Shifts the bitmap ids of the fill styles that style-change records bring.
    virtual void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t);

    // Takes ownership and appends; a style-change record gets this shape as its parent.
    void AddRecord(CBK_SwfShapeRecord* record);
    void AddCurve(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady);
    void AddGeneralLine(int32_t dx, int32_t dy);
    void AddVerticalLine(int32_t dy);
    void AddHorizontalLine(int32_t dx);
    std::size_t GetRecordCount() const { return _records.size(); }
    CBK_SwfShapeRecord* GetRecord(std::size_t index) const {
        return index < _records.size() ? _records[index].get() : nullptr;
    }

    // Header and current widths together.
    void SetFillBits(uint8_t bits) { _fillBits = _currentFillBits = bits; }
    void SetLineBits(uint8_t bits) { _lineBits = _currentLineBits = bits; }
    uint8_t GetFillBits() const { return _fillBits; }
    uint8_t GetLineBits() const { return _lineBits; }
    // The widths in force while records are written or read.
    uint8_t GetCurrentFillBits() const { return _currentFillBits; }
    uint8_t GetCurrentLineBits() const { return _currentLineBits; }
    void SetCurrentFillBits(uint8_t bits) { _currentFillBits = bits; }
    void SetCurrentLineBits(uint8_t bits) { _currentLineBits = bits; }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

protected:
    void DestroyRecords() { _records.clear(); }
    // The widths (UB[4] each) are written or read by the caller.
    void ReadRecords(CBK_SwfReader* reader);
    void WriteRecords(CBK_SwfStream* stream);
    void CopyRecords(const CBK_SwfShape& other);

    std::vector<std::unique_ptr<CBK_SwfShapeRecord>> _records;
    uint8_t _lineBits = 0;
    uint8_t _fillBits = 0;
    bool _alpha = false;
    uint8_t _currentLineBits = 0;
    uint8_t _currentFillBits = 0;
};

class CBK_SwfShapeWithStyle : public CBK_SwfShape {
public:
    explicit CBK_SwfShapeWithStyle(bool alpha = false) { _alpha = alpha; }
    CBK_SwfShapeWithStyle(const CBK_SwfShapeWithStyle& other);
    CBK_SwfShapeWithStyle& operator=(const CBK_SwfShapeWithStyle& other);
    // From a plain shape the arrays are emptied; from a shape with styles they are copied.
    CBK_SwfShape& operator=(const CBK_SwfShape& other) override;
    ~CBK_SwfShapeWithStyle() override;

    uint32_t Read(CBK_SwfReader* reader) override;
    // The two arrays, the widths their counts need, the records.
    uint32_t Write(CBK_SwfStream* stream) override;
    void Destroy() override;

    // Each frees the array held and takes the new one over.
    void SetFillStyles(CBK_SwfFillStyleArray* styles) { _fillStyles.reset(styles); }
    void SetLineStyles(CBK_SwfLineStyleArray* styles) { _lineStyles.reset(styles); }
    CBK_SwfFillStyleArray* GetFillStyles() const { return _fillStyles.get(); }
    CBK_SwfLineStyleArray* GetLineStyles() const { return _lineStyles.get(); }

private:
    std::unique_ptr<CBK_SwfFillStyleArray> _fillStyles;
    std::unique_ptr<CBK_SwfLineStyleArray> _lineStyles;
};

// The records of a w x h box at (x, y): a move with fill style 1 and line style 1 where
// asked, four lines, and the end record. Shared by the shape and morph-shape builders.
void SwfAddBoxRecords(CBK_SwfShape& shape, int32_t x, int32_t y, int32_t w, int32_t h, bool fill,
                      bool line);

} // namespace ravuz

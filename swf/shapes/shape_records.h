// The shape records: style change, straight edge, curved edge and end of shape.
#pragma once

#include <memory>

#include "swf/base/swf_obj.h"
#include "swf/styles/fill_style.h"
#include "swf/styles/line_style.h"

namespace ravuz {

class CBK_SwfShape;

class CBK_SwfShapeRecord : public CBK_SwfObj {
public:
    static constexpr uint8_t kStyleChange = 1;
    static constexpr uint8_t kStraightEdge = 2;
    static constexpr uint8_t kCurvedEdge = 3;
    static constexpr uint8_t kEndOfShape = 4;

    ~CBK_SwfShapeRecord() override = default;

    uint32_t Read(CBK_SwfReader* reader) override = 0;
    uint32_t Write(CBK_SwfStream* stream) override = 0;
    virtual uint8_t GetShapeType() const { return 0; }
    virtual void Create() {}

    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

protected:
    CBK_SwfShapeRecord() = default;
    CBK_SwfShapeRecord(const CBK_SwfShapeRecord&) = default;
    CBK_SwfShapeRecord& operator=(const CBK_SwfShapeRecord&) = default;

    bool _alpha = false;
};

class CBK_SwfStyleChangeShapeRecord : public CBK_SwfShapeRecord {
public:
    static constexpr uint8_t MOVE_TO_FLAG = 0x01;
    static constexpr uint8_t FILL_STYLE_0_FLAG = 0x02;
    static constexpr uint8_t FILL_STYLE_1_FLAG = 0x04;
    static constexpr uint8_t LINE_STYLE_FLAG = 0x08;
    static constexpr uint8_t NEW_STYLES_FLAG = 0x10;
    static constexpr uint8_t kAllFlags = 0x1F;

    explicit CBK_SwfStyleChangeShapeRecord(uint8_t flags = 0, CBK_SwfShape* parent = nullptr);
    // A move to x, y; the flags stay clear (see CompileFlags).
    CBK_SwfStyleChangeShapeRecord(int32_t x, int32_t y, CBK_SwfShape* parent);
    // Copies everything but the parent, which the shape that holds the copy sets.
    CBK_SwfStyleChangeShapeRecord(const CBK_SwfStyleChangeShapeRecord& other);
    CBK_SwfStyleChangeShapeRecord& operator=(const CBK_SwfStyleChangeShapeRecord& other);
    ~CBK_SwfStyleChangeShapeRecord() override = default;

    using CBK_SwfShapeRecord::Create;
    void Create(uint8_t flags, CBK_SwfShape* parent);
    void Create(int32_t x, int32_t y, CBK_SwfShape* parent);
    void Destroy();

    // The fields after the type bit and the flags, which the shape has read.
    uint32_t Read(CBK_SwfReader* reader) override;
    // Nothing for a record without flags (six zero bits would end the shape). With new
    // styles, both arrays and both widths are always written, an absent array as an empty
    // one.
    uint32_t Write(CBK_SwfStream* stream) override;
    uint8_t GetShapeType() const override { return kStyleChange; }

    // Takes the shape's header widths (when given) and remembers the shape.
    void SetParentShape(CBK_SwfShape* parent);
    CBK_SwfShape* GetParentShape() const { return _parent; }

    void SetFlags(uint16_t flags) { _flags = static_cast<uint8_t>(flags); }
    uint8_t GetFlags() const { return _flags; }
    // From the fields: new styles when an array is present, a style flag for each non-zero
    // index, a move when x or y is not 0.
    void CompileFlags();
    void HasNewStyles(bool on) { SetFlag(NEW_STYLES_FLAG, on); }
    uint8_t HasNewStyles() const { return (_flags & NEW_STYLES_FLAG) ? 1 : 0; }
    void HasLineStyleChange(bool on) { SetFlag(LINE_STYLE_FLAG, on); }
    uint8_t HasLineStyleChange() const { return (_flags & LINE_STYLE_FLAG) ? 1 : 0; }
    void HasFillStyle0Change(bool on) { SetFlag(FILL_STYLE_0_FLAG, on); }
    uint8_t HasFillStyle0Change() const { return (_flags & FILL_STYLE_0_FLAG) ? 1 : 0; }
    void HasFillStyle1Change(bool on) { SetFlag(FILL_STYLE_1_FLAG, on); }
    uint8_t HasFillStyle1Change() const { return (_flags & FILL_STYLE_1_FLAG) ? 1 : 0; }
    void HasMoveTo(bool on) { SetFlag(MOVE_TO_FLAG, on); }
    uint8_t HasMoveTo() const { return (_flags & MOVE_TO_FLAG) ? 1 : 0; }

    void SetMoveTo(int32_t x, int32_t y) {
        _moveX = x;
        _moveY = y;
    }
    int32_t GetMoveX() const { return _moveX; }
    int32_t GetMoveY() const { return _moveY; }
    void SetLineStyle(uint32_t index) { _lineStyle = static_cast<uint16_t>(index); }
    // `which` non-zero sets fill style 1, zero fill style 0.
    void SetFillStyle(uint32_t index, int32_t which);
    uint16_t GetLineStyle() const { return _lineStyle; }
    uint16_t GetFillStyle0() const { return _fillStyle0; }
    uint16_t GetFillStyle1() const { return _fillStyle1; }

    // Each frees the array held and takes the new one over.
    void SetNewFillStyles(CBK_SwfFillStyleArray* styles) { _newFillStyles.reset(styles); }
    void SetNewLineStyles(CBK_SwfLineStyleArray* styles) { _newLineStyles.reset(styles); }
    CBK_SwfFillStyleArray* GetNewFillStyles() const { return _newFillStyles.get(); }
    CBK_SwfLineStyleArray* GetNewLineStyles() const { return _newLineStyles.get(); }

    // Widths of this record's style indices, and those its new styles put in force.
    uint16_t GetFillBits() const { return _fillBits; }
    uint16_t GetLineBits() const { return _lineBits; }
    void SetFillBits(uint16_t bits) { _fillBits = bits; }
    void SetLineBits(uint16_t bits) { _lineBits = bits; }
    uint16_t GetNewFillBits() const { return _newFillBits; }
    uint16_t GetNewLineBits() const { return _newLineBits; }

private:
    void SetFlag(uint8_t flag, bool on) { _flags = on ? (_flags | flag) : (_flags & ~flag); }
    void Clear();

    int32_t _moveX = 0;
    int32_t _moveY = 0;
    uint16_t _fillStyle0 = 0;
    uint16_t _fillStyle1 = 0;
    uint16_t _lineStyle = 0;
    uint16_t _fillBits = 0;
    uint16_t _lineBits = 0;
    uint16_t _newFillBits = 0;
    uint16_t _newLineBits = 0;
    CBK_SwfShape* _parent = nullptr;
    std::unique_ptr<CBK_SwfFillStyleArray> _newFillStyles;
    std::unique_ptr<CBK_SwfLineStyleArray> _newLineStyles;
    uint8_t _flags = 0;
};

class CBK_SwfStraightEdgeShapeRecord : public CBK_SwfShapeRecord {
public:
    static constexpr uint8_t GENERAL_LINE = 0;
    static constexpr uint8_t HORIZONTAL_LINE = 1;
    static constexpr uint8_t VERTICAL_LINE = 2;

    explicit CBK_SwfStraightEdgeShapeRecord(int32_t dx = 0, int32_t dy = 0,
                                            uint8_t kind = GENERAL_LINE)
        : _kind(kind), _dx(dx), _dy(dy) {}
    CBK_SwfStraightEdgeShapeRecord(const CBK_SwfStraightEdgeShapeRecord& other)
        : CBK_SwfShapeRecord(other), _kind(other._kind), _dx(other._dx), _dy(other._dy) {}
    CBK_SwfStraightEdgeShapeRecord& operator=(const CBK_SwfStraightEdgeShapeRecord& other);

    using CBK_SwfShapeRecord::Create;
    void Create(int32_t dx, int32_t dy, uint8_t kind);
    // Stores the bit-count field and zeroes the rest.
    void Create(uint8_t bits);

    uint32_t Read(CBK_SwfReader* reader) override;
    // An edge whose deltas exceed the widest field (17 bits) is written as equal pieces that
    // do fit; a horizontal or vertical kind that would drop a non-zero delta is written as a
    // general line.
    uint32_t Write(CBK_SwfStream* stream) override;
    uint8_t GetShapeType() const override { return kStraightEdge; }

    uint8_t GetKind() const { return _kind; }
    int32_t GetDx() const { return _dx; }
    int32_t GetDy() const { return _dy; }
    uint8_t GetNumBits() const { return _numBits; }

private:
    uint8_t _kind;
    int32_t _dx;
    int32_t _dy;
    uint8_t _numBits = 0;
};

class CBK_SwfCurvedEdgeShapeRecord : public CBK_SwfShapeRecord {
public:
    explicit CBK_SwfCurvedEdgeShapeRecord(int32_t cdx = 0, int32_t cdy = 0, int32_t adx = 0,
                                          int32_t ady = 0)
        : _controlDx(cdx), _controlDy(cdy), _anchorDx(adx), _anchorDy(ady) {}
    CBK_SwfCurvedEdgeShapeRecord(const CBK_SwfCurvedEdgeShapeRecord& other)
        : CBK_SwfShapeRecord(other), _controlDx(other._controlDx), _controlDy(other._controlDy),
          _anchorDx(other._anchorDx), _anchorDy(other._anchorDy) {}
    CBK_SwfCurvedEdgeShapeRecord& operator=(const CBK_SwfCurvedEdgeShapeRecord& other);

    using CBK_SwfShapeRecord::Create;
    void Create(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady);
    // Stores the bit-count field and zeroes the four values.
    void Create(uint8_t bits);
    void SetControlPoints(int32_t dx, int32_t dy) {
        _controlDx = dx;
        _controlDy = dy;
    }
    void SetAnchorPoints(int32_t dx, int32_t dy) {
        _anchorDx = dx;
        _anchorDy = dy;
    }

    uint32_t Read(CBK_SwfReader* reader) override;
    // A curve whose deltas exceed the widest field is halved (at t = 1/2) until every piece
    // fits.
    uint32_t Write(CBK_SwfStream* stream) override;
    uint8_t GetShapeType() const override { return kCurvedEdge; }

    int32_t GetControlDx() const { return _controlDx; }
    int32_t GetControlDy() const { return _controlDy; }
    int32_t GetAnchorDx() const { return _anchorDx; }
    int32_t GetAnchorDy() const { return _anchorDy; }
    uint8_t GetNumBits() const { return _numBits; }

private:
    int32_t _controlDx;
    int32_t _controlDy;
    int32_t _anchorDx;
    int32_t _anchorDy;
    uint8_t _numBits = 0;
};

class CBK_SwfEndOfShapeRecord : public CBK_SwfShapeRecord {
public:
    CBK_SwfEndOfShapeRecord() = default;
    CBK_SwfEndOfShapeRecord(const CBK_SwfEndOfShapeRecord& other) = default;
    CBK_SwfEndOfShapeRecord& operator=(const CBK_SwfEndOfShapeRecord& other) = default;

    // The shape has read its six zero bits.
    uint32_t Read(CBK_SwfReader*) override { return 0; }
    // Six zero bits; reports 1.
    uint32_t Write(CBK_SwfStream* stream) override;
    uint8_t GetShapeType() const override { return kEndOfShape; }
};

// The largest edge delta a record can hold: its bit count is a 4-bit field plus 2.
constexpr int64_t kSwfMaxEdgeDelta = 65535;

} // namespace ravuz

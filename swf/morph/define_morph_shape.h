// CBK_SwfDefineMorphShape (tag 46): a shape interpolated between a start and an end state.
#pragma once

#include <memory>

#include "swf/base/swf_tag.h"
#include "swf/morph/morph_styles.h"
#include "swf/records/rect.h"
#include "swf/shapes/shape.h"

namespace ravuz {

class CBK_SwfDefineMorphShape : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineMorphShape() = default;
    CBK_SwfDefineMorphShape(const CBK_SwfDefineMorphShape& other);
    CBK_SwfDefineMorphShape& operator=(const CBK_SwfDefineMorphShape& other);
    ~CBK_SwfDefineMorphShape() override;

    uint16_t GetTagId() const override { return kSwfTagDefineMorphShape; }
    // Reads the end shape from where the end-edges offset points (within the tag).
    uint32_t Read(CBK_SwfReader* reader) override;
    // The offset is computed from what is written; absent members are written empty.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The character id, the bitmap ids of the bitmap fills, the shapes' fill styles.
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) override;
    virtual void Destroy();

    // Each frees what it replaces and takes the new object over.
    void SetStartBounds(CBK_SwfRect* bounds) { _startBounds.reset(bounds); }
    void SetEndBounds(CBK_SwfRect* bounds) { _endBounds.reset(bounds); }
    void SetStartShape(CBK_SwfShape* shape) { _startShape.reset(shape); }
    void SetEndShape(CBK_SwfShape* shape) { _endShape.reset(shape); }
    void SetFillStyles(CBK_SwfMorphFillStyleArray* styles) { _fillStyles.reset(styles); }
    void SetLineStyles(CBK_SwfMorphLineStyleArray* styles) { _lineStyles.reset(styles); }
    CBK_SwfRect* GetStartBounds() const { return _startBounds.get(); }
    CBK_SwfRect* GetEndBounds() const { return _endBounds.get(); }
    CBK_SwfShape* GetStartShape() const { return _startShape.get(); }
    CBK_SwfShape* GetEndShape() const { return _endShape.get(); }
    CBK_SwfMorphFillStyleArray* GetFillStyles() const { return _fillStyles.get(); }
    CBK_SwfMorphLineStyleArray* GetLineStyles() const { return _lineStyles.get(); }
    // The end-edges offset as last read.
    uint32_t GetOffset() const { return _offset; }

    // The start state (start true) or the end state of a rectangle. The start state appends
    // the styles given to the arrays; the end state frees them, since the end values live
    // in the start state's styles.
    void CreateBox(int32_t x, int32_t y, int32_t width, int32_t height, CBK_SwfMorphFillStyle* fill,
                   CBK_SwfMorphLineStyle* line, bool start);

private:
    std::unique_ptr<CBK_SwfRect> _startBounds;
    std::unique_ptr<CBK_SwfRect> _endBounds;
    uint32_t _offset = 0;
    std::unique_ptr<CBK_SwfMorphFillStyleArray> _fillStyles;
    std::unique_ptr<CBK_SwfMorphLineStyleArray> _lineStyles;
    std::unique_ptr<CBK_SwfShape> _startShape;
    std::unique_ptr<CBK_SwfShape> _endShape;
};

} // namespace ravuz

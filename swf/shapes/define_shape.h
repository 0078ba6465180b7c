// The shape definition tags DefineShape (2), DefineShape2 (22) and DefineShape3 (32), with
// builders of boxes, circles and lines.
#pragma once

#include <memory>

#include "swf/base/swf_tag.h"
#include "swf/records/rect.h"
#include "swf/shapes/shape.h"

class CBK_Path;

namespace ravuz {

class CBK_SwfDefineShape : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineShape() = default;
    CBK_SwfDefineShape(const CBK_SwfDefineShape& other);
    // Copies the bounds, the character id and the shape (colours keep their class).
    CBK_SwfDefineShape& operator=(const CBK_SwfDefineShape& other);
    ~CBK_SwfDefineShape() override;

    // The first tag of this kind in the movie held by the application resource 'xDAS' of
    // that id; the caller's, null when the resource or such a tag is missing. (The path is
    // not used.)
    static CBK_SwfDefineShape* CreateFromResource(int32_t resourceId, CBK_Path*);

    uint16_t GetTagId() const override { return kSwfTagDefineShape; }
    // Colours carry alpha exactly when the tag is a DefineShape3.
    uint32_t Read(CBK_SwfReader* reader) override;
    // u16 id, bounds, shape, byte alignment; an absent bounds or shape is written empty.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The character id and the bitmap ids of every fill style.
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) override;
    virtual void Destroy();

    // Each frees what it replaces and takes the new object over.
    void SetShape(CBK_SwfShapeWithStyle* shape) { _shape.reset(shape); }
    void SetBounds(CBK_SwfRect* bounds) { _bounds.reset(bounds); }
    CBK_SwfShapeWithStyle* GetShape() const { return _shape.get(); }
    CBK_SwfRect* GetBounds() const { return _bounds.get(); }

    // Each replaces bounds and shape and takes the styles over; either style may be null.
    // A rectangle from x, y of the given size.
    void CreateBox(int32_t x, int32_t y, int32_t width, int32_t height, CBK_SwfFillStyle* fill,
                   CBK_SwfLineStyle* line);
    // A circle about the origin (x and y are not used), of four quadratic curves.
    void CreateCircle(int32_t x, int32_t y, int32_t radius, CBK_SwfFillStyle* fill,
                      CBK_SwfLineStyle* line);
    // One edge of width, height centred horizontally on the origin (x and y are not used).
    void CreateLine(int32_t x, int32_t y, int32_t width, int32_t height, CBK_SwfFillStyle* fill,
                    CBK_SwfLineStyle* line);

protected:
    std::unique_ptr<CBK_SwfShapeWithStyle> _shape;
    std::unique_ptr<CBK_SwfRect> _bounds;

private:
    // A new shape (replacing the one held) with an array for each style given.
    CBK_SwfShapeWithStyle* NewStyledShape(CBK_SwfFillStyle* fill, CBK_SwfLineStyle* line);
};

class CBK_SwfDefineShape2 : public CBK_SwfDefineShape {
public:
    uint16_t GetTagId() const override { return kSwfTagDefineShape2; }
};

class CBK_SwfDefineShape3 : public CBK_SwfDefineShape2 {
public:
    uint16_t GetTagId() const override { return kSwfTagDefineShape3; }
};

} // namespace ravuz

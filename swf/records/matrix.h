// CBK_SwfMatrix: the SWF MATRIX record. Scale and rotate-skew terms are 16.16 fixed point,
// translations twips.
#pragma once

#include "swf/base/swf_obj.h"

namespace ravuz {

class CBK_SwfMatrix : public CBK_SwfObj {
public:
    CBK_SwfMatrix() = default;

    // Scale 1.0 on both axes, no translation; the rotate-skew terms stay as they were.
    void CreateIdentity();
    void SetSkew0(uint32_t value, bool on);
    void SetSkew1(uint32_t value, bool on);
    void SetRotation(uint32_t value, uint8_t which, bool on);
    double GetFloatRotation(uint8_t which) const;
    void SetTranslation(int32_t x, int32_t y) {
        translateX = x;
        translateY = y;
    }
    void SetScale(int32_t x, int32_t y) {
        scaleX = x;
        scaleY = y;
        hasScale = true;
    }

    // A new matrix owned by the caller: translation (tx, ty), scale (sx, sy) and rotations
    // rx, ry in degrees.
    static CBK_SwfMatrix* CreateMatrix(int32_t tx, int32_t ty, double sx, double sy, double rx,
                                       double ry);

    // Neither pads: the enclosing record's next byte operation does.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    int32_t scaleX = 0;
    int32_t scaleY = 0;
    int32_t rotateSkew0 = 0;
    int32_t rotateSkew1 = 0;
    int32_t translateX = 0;
    int32_t translateY = 0;
    bool hasScale = false;
    bool hasRotate = false;
};

} // namespace ravuz

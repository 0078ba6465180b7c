// CBK_SwfColorTransform (CXFORM) and CBK_SwfColorTransformAlpha (CXFORMWITHALPHA). A multiply
// term of 256 means 1.0; colours passed as one number are 0x00BBGGRR.
#pragma once

#include "swf/base/swf_obj.h"

namespace ravuz {

class CBK_SwfColorTransform : public CBK_SwfObj {
public:
    CBK_SwfColorTransform() { CBK_SwfColorTransform::Create(); }

    // No terms, both flags off.
    virtual void Create();
    void SetMultTerms(int32_t r, int32_t g, int32_t b);
    virtual void SetTint(uint32_t color);
    virtual void SetBrightness(double brightness);
    virtual void AdjustColor(uint32_t color);

    // Neither pads: the enclosing record does. Terms wider than the 15-bit field are held to
    // its range.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    int32_t multRed = 0;
    int32_t multGreen = 0;
    int32_t multBlue = 0;
    int32_t addRed = 0;
    int32_t addGreen = 0;
    int32_t addBlue = 0;
    bool hasAdd = false;
    bool hasMult = false;
};

class CBK_SwfColorTransformAlpha : public CBK_SwfColorTransform {
public:
    CBK_SwfColorTransformAlpha() { CBK_SwfColorTransformAlpha::Create(); }

    // No terms, alpha multiply 0 with has-multiply on.
    void Create() override;
    void SetAlphaMult(int32_t alpha, bool resetColorMult);
    using CBK_SwfColorTransform::SetMultTerms;
    void SetMultTerms(int32_t r, int32_t g, int32_t b, int32_t a);
    // 0.0 to 1.0 (held there) as the alpha multiply; colour multiply 1.0.
    void SetAlpha(double alpha);
    void SetTint(uint32_t color) override;
    void SetBrightness(double brightness) override;
    void AdjustColor(uint32_t color) override;

    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    int32_t multAlpha = 0;
    int32_t addAlpha = 0;
};

} // namespace ravuz

// CBK_SwfColor (RGB) and CBK_SwfColorAlpha (RGBA). Colours passed as one number are
// 0x00BBGGRR.
#pragma once

#include "swf/base/swf_obj.h"

namespace ravuz {

class CBK_SwfColor : public CBK_SwfObj {
public:
    CBK_SwfColor() = default;
    CBK_SwfColor(uint8_t r, uint8_t g, uint8_t b) : red(r), green(g), blue(b) {}

    void Create(uint8_t r, uint8_t g, uint8_t b) {
        red = r;
        green = g;
        blue = b;
    }
    uint32_t GetColor() const { return red | (uint32_t(green) << 8) | (uint32_t(blue) << 16); }

    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

class CBK_SwfColorAlpha : public CBK_SwfColor {
public:
    CBK_SwfColorAlpha() = default;
    CBK_SwfColorAlpha(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
        : CBK_SwfColor(r, g, b), alpha(a) {}

    void Create(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        CBK_SwfColor::Create(r, g, b);
        alpha = a;
    }

    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t alpha = 255;
};

} // namespace ravuz

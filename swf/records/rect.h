// CBK_SwfRect: the SWF RECT record, in twips.
#pragma once

#include "swf/base/swf_obj.h"

namespace ravuz {

class CBK_SwfRect : public CBK_SwfObj {
public:
    CBK_SwfRect() = default;
    CBK_SwfRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
        : xmin(x0), xmax(x1), ymin(y0), ymax(y1) {}

    // With `pixels` each value is multiplied by 20 (held to the 32-bit range).
    void Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool pixels);

    // Returns the whole bytes the position passed; a partly read last byte is skipped by the
    // next aligned read.
    uint32_t Read(CBK_SwfReader* reader) override;
    // Values beyond the widest field (31 bits) are held to its range.
    uint32_t Write(CBK_SwfStream* stream) override;

    int32_t GetWidth() const { return xmax - xmin; }
    int32_t GetHeight() const { return ymax - ymin; }

    int32_t xmin = 0;
    int32_t xmax = 0;
    int32_t ymin = 0;
    int32_t ymax = 0;
};

} // namespace ravuz

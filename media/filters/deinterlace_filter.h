// CBK_ImageFilterDeinterlace: removes combing from interlaced frames. Pixels of the odd rows
// (1, 3, …, up to height − 2) that stick out from both vertical neighbours are marked,
// isolated marks dropped, and each remaining one replaced by the floor of the mean of the
// pixels above and below. Not listed in the registry; no settings in XML.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/filters/image_filter.h"

class CBK_ImageFilterDeinterlace : public CBK_ImageFilter {
public:
    CBK_ImageFilterDeinterlace() { SetFilterName(L"Deinterlace"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterDeinterlace; }
    // 24- and 32-bit images (the alpha byte of a 32-bit pixel is averaged alike but takes
    // no part in the test); false for other depths.
    bool Filter(CBK_Image& image) override;

    // One byte per pixel, 1 where the weighted product of the differences from the pixels
    // above and below, D = Δ0·Δ0' + 6·Δ1·Δ1' + 3·Δ2·Δ2', exceeds the threshold. D is taken
    // with its sign: a pixel between its neighbours gives a negative D and is kept.
    std::unique_ptr<uint8_t[]> _MakeCombingMap(CBK_Image& image);
    // Clears every mark with no other mark in its 3 × 3 window, scanning in reading order.
    void _RemoveNoise(CBK_Image& image, uint8_t* map);

    uint32_t GetThreshold() const { return m_nThreshold; }

private:
    uint32_t m_nThreshold = 400;
};

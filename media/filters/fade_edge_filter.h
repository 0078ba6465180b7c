// CBK_ImageFilterFadeEdge: blends a soft band along the four borders into a fade colour.
// Not listed in the registry; no controls and no settings in XML.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/image_filter.h"
#include "media/filters/stack_blur.h"

class CBK_ImageFilterFadeEdge : public CBK_ImageFilter {
public:
    CBK_ImageFilterFadeEdge() { SetFilterName(L"Fade Edge"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterFadeEdge; }
    // Byte k of each pixel becomes m × colour byte k / 255 + byte k × (255 − m) / 255 with m
    // its byte of the blurred alpha map.
    bool Filter(CBK_Image& image) override;

    void SetBorderSize(int32_t size) { m_nBorderSize = size; }
    void SetFadeColor(uint32_t color) { m_nFadeColor = color; }
    int32_t GetBorderSize() const { return m_nBorderSize; }
    uint32_t GetFadeColor() const { return m_nFadeColor; }

    // The band (border size × 0.4, at least 1) at 255 along the four borders, held so that
    // it lies inside the image, then blurred with radius border size × 0.6 (at least 1).
    void _MakeAlphaMap(int32_t width, int32_t height, int32_t borderSize);
    const std::vector<uint8_t>& GetAlphaMap() const { return m_vMap; }

private:
    int32_t m_nBorderSize = 20;
    uint32_t m_nFadeColor = 255;
    std::vector<uint8_t> m_vMap;
    int32_t m_nMapWidth = -1, m_nMapHeight = -1, m_nMapBorder = 0;
    CBK_StackBlurScratch m_scratch;
};

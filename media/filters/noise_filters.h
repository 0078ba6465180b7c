// Filters of noise: add noise of a chosen distribution, and despeckle, which merges small
// flat-coloured regions into their most similar neighbouring colour.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/despeckler.h"
#include "media/filters/image_filter.h"
#include "media/filters/noise.h"
#include "ui/controls/drop_list.h"
#include "ui/controls/static_text.h"

class CBK_ImageFilterAddNoise : public CBK_ImageFilter {
public:
    CBK_ImageFilterAddNoise() { SetFilterName(L"Add Noise"); }
    CBK_ImageFilter* MakeCopy() override;
    // Every byte through GenerateNoise, pixel by pixel, bytes 0, 1, 2 in turn.
    bool Filter(CBK_Image& image) override;
    // A "Type:" label and a drop list of the six noise types (item index = type).
    bool InitControls(CBK_Dialog& dialog, tbx::Rect& area) override;
    bool KillControls() override;
    bool OnCommand(uint32_t code, tbx::EventRef& event) override;
    // `type` as one of "uniform", "gaussian", "mult_gaussian", "impulse", "laplacian",
    // "poisson", matched exactly; any other text leaves the type.
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetNoiseType(int32_t type) { _ChangeSetting(m_nNoiseType, type); }
    int32_t GetNoiseType() const { return m_nNoiseType; }
    // The random numbers' source, not owned; null for a generator seeded from std::rand on
    // each Filter.
    void SetRandomSource(imagemagick::RandomSource* source) { m_pRandom = source; }

private:
    int32_t m_nNoiseType = imagemagick::GaussianNoise;
    imagemagick::RandomSource* m_pRandom = nullptr;
    CBK_ControlStaticText m_typeLabel;
    CBK_ControlDropList m_typeList;
};

class CBK_ImageFilterDespeckle : public CBK_ImageFilter {
public:
    CBK_ImageFilterDespeckle() { SetFilterName(L"Despeckle"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterDespeckle; }
    // Twenty passes, regions below 2^L pixels merged at the tightness 256 / (1 + 3 L).
    bool Filter(CBK_Image& image) override;

private:
    CBK_Despeckler m_despeckler;
};

// One despeckle pass over width × height pixels of three bytes.
void despeckle_iteration(int32_t level, double factor, int32_t width, int32_t height,
                         uint8_t* pixels);

#include "media/filters/noise_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media/filters/gaussian_noise.h"
#include "media/filters/pixel_routines.h"
#include "ui/base/dialog.h"

namespace {

const char* const kNoiseKeywords[] = {"uniform", "gaussian",  "mult_gaussian",
                                      "impulse", "laplacian", "poisson"};

} // namespace

CBK_ImageFilter* CBK_ImageFilterAddNoise::MakeCopy() {
    auto* copy = new CBK_ImageFilterAddNoise;
    copy->m_nNoiseType = m_nNoiseType;
    copy->m_pRandom = m_pRandom;
    return copy;
}

bool CBK_ImageFilterAddNoise::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    // Each byte reads only itself, so the image serves as its own copy.
    uint8_t* p = image.GetData();
    const std::size_t n = std::size_t(w) * h * 3;
    if (m_nNoiseType == imagemagick::GaussianNoise) {
        if (m_pRandom) {
            imagemagick::AddGaussianNoise(p, n, *m_pRandom);
        } else {
            imagemagick::FastRandomSource random{uint32_t(std::rand())};
            imagemagick::AddGaussianNoise(p, n, random);
        }
        return true;
    }
    if (m_pRandom) {
        for (std::size_t i = 0; i < n; ++i)
            p[i] = imagemagick::GenerateNoise(p[i], m_nNoiseType, *m_pRandom);
        return true;
    }
    // The standard generator locks on every call; one draw from it seeds a frame's worth of
    // numbers, which keeps a run reproducible from the application's seed.
    imagemagick::FastRandomSource random{uint32_t(std::rand())};
    for (std::size_t i = 0; i < n; ++i)
        p[i] = imagemagick::GenerateNoiseFrom(p[i], m_nNoiseType, random);
    return true;
}

bool CBK_ImageFilterAddNoise::_ReadXmlSettings(CBK_XmlDomNode&,
                                               CBK_XmlDomNamedNodeMap& attributes) {
    CBK_XmlDomNode node;
    if (!attributes.GetItem("type", node))
        return true;
    const std::wstring text = node.GetText(L"");
    for (int32_t type = 0; type < 6; ++type) {
        const char* keyword = kNoiseKeywords[type];
        if (text.size() == std::strlen(keyword) && std::equal(text.begin(), text.end(), keyword))
            m_nNoiseType = type;
    }
    return true;
}

bool CBK_ImageFilterAddNoise::_WriteXmlSettings(CBK_XmlWriter& writer) {
    const bool known = m_nNoiseType >= 0 && m_nNoiseType < 6;
    _WriteAttribute(writer, "type", known ? kNoiseKeywords[m_nNoiseType] : "");
    return true;
}

namespace {
constexpr uint32_t kTypeLabelId = 1000;
constexpr uint32_t kTypeListId = 1001;
const wchar_t* const kNoiseItems[] = {L"Uniform", L"Gaussian",  L"Multiplicative Gaussian",
                                      L"Impulse", L"Laplacian", L"Poisson"};
} // namespace

bool CBK_ImageFilterAddNoise::InitControls(CBK_Dialog& dialog, tbx::Rect& area) {
    ExpandDialogHeight(dialog, 100);
    const int16_t top = area.top, left = area.left;
    tbx::Rect labelBounds{top, left, static_cast<int16_t>(top + 16),
                          static_cast<int16_t>(left + 58)};
    tbx::Rect listBounds{top, static_cast<int16_t>(left + 62), static_cast<int16_t>(top + 16),
                         static_cast<int16_t>(left + 212)};
    if (!m_typeLabel.Create(dialog, kTypeLabelId, labelBounds, L"Type:") ||
        !m_typeList.Create(dialog, kTypeListId, listBounds, L"", 0)) {
        KillControls();
        return false;
    }
    m_typeList.DeleteAllItems();
    for (const wchar_t* item : kNoiseItems)
        m_typeList.AppendItem(item);
    m_typeList.SetCurrentItem(m_nNoiseType);
    return true;
}

bool CBK_ImageFilterAddNoise::KillControls() {
    m_typeLabel.Destroy();
    m_typeList.Destroy();
    return true;
}

bool CBK_ImageFilterAddNoise::OnCommand(uint32_t code, tbx::EventRef&) {
    if (code != kTypeListId || !m_typeList.GetControlHandle())
        return false;
    const int32_t item = m_typeList.GetCurrentItem();
    if (item >= 0)
        SetNoiseType(item);
    return true;
}

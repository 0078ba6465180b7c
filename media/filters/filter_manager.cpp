#include "media/filters/filter_manager.h"

#include <algorithm>
#include <cwchar>

#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/distort_filters.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"

std::vector<std::unique_ptr<CBK_ImageFilterManager>> CBK_ImageFilterManager::m_vManagers;

namespace {

auto FindManager(std::vector<std::unique_ptr<CBK_ImageFilterManager>>& managers, int32_t id) {
    return std::find_if(managers.begin(), managers.end(),
                        [id](const auto& manager) { return manager->GetId() == id; });
}

} // namespace

CBK_ImageFilterManager* CBK_ImageFilterManager::CreateManager(int32_t id) {
    if (FindManager(m_vManagers, id) != m_vManagers.end())
        return nullptr;
    m_vManagers.emplace_back(new CBK_ImageFilterManager(id));
    return m_vManagers.back().get();
}

CBK_ImageFilterManager* CBK_ImageFilterManager::GetManager(int32_t id) {
    auto it = FindManager(m_vManagers, id);
    return it == m_vManagers.end() ? nullptr : it->get();
}

bool CBK_ImageFilterManager::DestroyManager(int32_t id) {
    auto it = FindManager(m_vManagers, id);
    if (it == m_vManagers.end())
        return false;
    m_vManagers.erase(it);
    return true;
}

void CBK_ImageFilterManager::DestroyManagers() {
    m_vManagers.clear();
}

void CBK_ImageFilterManager::Reset() {
    m_vFilters.clear();
}

bool CBK_ImageFilterManager::AddFilter(CBK_ImageFilter* filter) {
    if (!filter)
        return false;
    std::unique_ptr<CBK_ImageFilter> owned(filter);
    auto it = std::find_if(m_vFilters.begin(), m_vFilters.end(), [&](const auto& prototype) {
        return std::wcsncmp(prototype->GetFilterName().c_str(), filter->GetFilterName().c_str(),
                            256) <= 0;
    });
    m_vFilters.insert(it, std::move(owned));
    return true;
}

bool CBK_ImageFilterManager::BuildList() {
    Reset();
    AddFilter(new CBK_ImageFilterAddNoise);
    AddFilter(new CBK_ImageFilterBlackWhite);
    AddFilter(new CBK_ImageFilterBlur);
    AddFilter(new CBK_ImageFilterBrightness);
    AddFilter(new CBK_ImageFilterDespeckle);
    AddFilter(new CBK_ImageFilterEdge);
    AddFilter(new CBK_ImageFilterEmboss);
    AddFilter(new CBK_ImageFilterGaussianBlur);
    AddFilter(new CBK_ImageFilterGrayscale);
    AddFilter(new CBK_ImageFilterImplode);
    AddFilter(new CBK_ImageFilterMedian);
    AddFilter(new CBK_ImageFilterMotionBlur);
    AddFilter(new CBK_ImageFilterOilPaint);
    AddFilter(new CBK_ImageFilterReduceNoise);
    AddFilter(new CBK_ImageFilterSepia);
    AddFilter(new CBK_ImageFilterShade);
    AddFilter(new CBK_ImageFilterSharpen);
    AddFilter(new CBK_ImageFilterSolarize);
    AddFilter(new CBK_ImageFilterSwirl);
    return true;
}

CBK_ImageFilter* CBK_ImageFilterManager::ReadXml(CBK_XmlDomNode& element) {
    CBK_XmlDomNamedNodeMap attributes;
    CBK_XmlDomNode name;
    if (!element.GetAttributes(attributes) || !attributes.GetItem("name", name))
        return nullptr;
    const std::wstring text = name.GetText(L"");
    for (const auto& prototype : m_vFilters)
        if (prototype->GetFilterName() == text) {
            CBK_ImageFilter* copy = prototype->MakeCopy();
            if (copy)
                copy->ReadXml(element);
            return copy;
        }
    return nullptr;
}

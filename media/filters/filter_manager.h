// CBK_ImageFilterManager: a registry of filter prototypes, kept in descending name order,
// that turns a saved `filter` element back into a configured filter. Managers are static
// singletons by id; the application uses id 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/filters/image_filter.h"

class CBK_ImageFilterManager {
public:
    ~CBK_ImageFilterManager() { Reset(); }
    CBK_ImageFilterManager(const CBK_ImageFilterManager&) = delete;
    CBK_ImageFilterManager& operator=(const CBK_ImageFilterManager&) = delete;

    // Null when a manager with this id exists.
    static CBK_ImageFilterManager* CreateManager(int32_t id);
    static CBK_ImageFilterManager* GetManager(int32_t id);
    static bool DestroyManager(int32_t id);
    static void DestroyManagers();

    void Reset();
    // Takes the filter and inserts it before the first prototype whose name is not greater;
    // false for null.
    bool AddFilter(CBK_ImageFilter* filter);
    // One prototype of each listed class, replacing what was there.
    bool BuildList();
    // A new filter owned by the caller: a copy of the prototype named by the element's
    // `name` attribute (case counts) with the element's settings; null without attributes,
    // without a name or for an unknown name.
    CBK_ImageFilter* ReadXml(CBK_XmlDomNode& element);

    int32_t GetId() const { return m_nId; }
    std::size_t GetCount() const { return m_vFilters.size(); }
    CBK_ImageFilter* GetFilter(std::size_t index) const {
        return index < m_vFilters.size() ? m_vFilters[index].get() : nullptr;
    }

private:
    explicit CBK_ImageFilterManager(int32_t id) : m_nId(id) {}

    std::vector<std::unique_ptr<CBK_ImageFilter>> m_vFilters;
    int32_t m_nId;

    static std::vector<std::unique_ptr<CBK_ImageFilterManager>> m_vManagers;
};

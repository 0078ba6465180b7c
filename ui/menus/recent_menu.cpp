#include "ui/menus/recent_menu.h"

#include <algorithm>
#include <string>

#include "core/strings/format.h"
#include "core/strings/string_functions.h"

namespace {

std::wstring Key(const wchar_t* name, int32_t n) {
    std::wstring key;
    BK_FormatString(key, L"%ls_%d", name ? name : L"", n);
    return key;
}

} // namespace

CBK_RecentMenuData& CBK_RecentMenuData::operator=(const CBK_RecentMenuData& other) {
    if (this == &other)
        return *this;
    Reset();
    m_nMax = other.m_nMax;
    for (const auto& path : other.m_Paths) {
        CBK_Path copy(*path);
        Add(copy);
    }
    return *this;
}

bool CBK_RecentMenuData::Add(CBK_Path& path) {
    const std::wstring text = path.GetFullPathString();
    std::unique_ptr<CBK_Path> kept;
    const std::size_t counted = std::min<std::size_t>(m_Paths.size(), m_nMax);
    for (std::size_t i = 0; i < counted; ++i) {
        if (qf_wcscasecmp(m_Paths[i]->GetFullPathString().c_str(), text.c_str()) != 0)
            continue;
        if (m_Paths[i].get() == &path)
            kept = std::move(m_Paths[i]);
        m_Paths.erase(m_Paths.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    if (!kept)
        kept = std::make_unique<CBK_Path>(text);
    m_Paths.insert(m_Paths.begin(), std::move(kept));
    return true;
}

CBK_Path* CBK_RecentMenuData::GetRecentItem(int32_t position) {
    if (position < 0 || position >= GetSize())
        return nullptr;
    return m_Paths[static_cast<std::size_t>(position)].get();
}

int32_t CBK_RecentMenuData::GetCurrentItemCount() const {
    return static_cast<int32_t>(std::min<std::size_t>(m_Paths.size(), m_nMax));
}

void CBK_RecentMenuData::Reset() {
    m_Paths.clear();
    m_nMax = kDefaultMax;
}

bool CBK_RecentMenuData::ReadPrefs(CBK_PrefsManager& prefs, const wchar_t* name) {
    uint32_t max = 0;
    if (prefs.GetNumber((std::wstring(name ? name : L"") + L"_max").c_str(), max))
        m_nMax = std::min(max, kLargestMax);
    for (uint32_t n = 1; n <= m_nMax; ++n) {
        wchar_t text[257] = {};
        if (!prefs.GetString(Key(name, static_cast<int32_t>(n)).c_str(), text, 257))
            break;
        CBK_Path path(text);
        if (path.FileExists())
            Add(path);
    }
    return true;
}

bool CBK_RecentMenuData::WritePrefs(CBK_PrefsManager& prefs, const wchar_t* name) {
    prefs.SetNumber((std::wstring(name ? name : L"") + L"_max").c_str(), m_nMax);
    const int32_t size = GetSize();
    for (int32_t n = 1; n <= GetCurrentItemCount(); ++n)
        prefs.SetString(Key(name, n).c_str(),
                        m_Paths[static_cast<std::size_t>(size - n)]->GetFullPathString().c_str());
    return true;
}

bool CBK_RecentMenu::Attach(const tbx::MenuRef& parent, uint32_t position, int32_t menuId,
                            uint32_t commandBase) {
    if (!m_SubMenu.Create(static_cast<uint32_t>(menuId), L"tt", false))
        return false;
    m_nCommandBase = commandBase;
    return position < 0xFFFF &&
           tbx::SetMenuItemHierarchicalMenu(parent, static_cast<tbx::MenuItemIndex>(position + 1),
                                            m_SubMenu.GetMenuHandle()) == tbx::noErr;
}

bool CBK_RecentMenu::Add(CBK_Path& path, bool update) {
    m_Data.Add(path);
    if (update)
        UpdateMenu();
    return true;
}

bool CBK_RecentMenu::UpdateMenu() {
    m_SubMenu.DeleteAllItems();
    for (int32_t i = 0; i < m_Data.GetCurrentItemCount(); ++i)
        m_SubMenu.AppendMenuItem(m_nCommandBase + static_cast<uint32_t>(i),
                                 m_Data.GetRecentItem(i)->GetFullPathString().c_str());
    return true;
}

void CBK_RecentMenu::SetMaxItems(uint32_t max, bool update) {
    m_Data.SetMaxItems(max);
    if (update)
        UpdateMenu();
}

CBK_Path* CBK_RecentMenu::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command < m_nCommandBase || command - m_nCommandBase >= m_SubMenu.GetItemCount())
        return nullptr;
    return m_Data.GetRecentItem(static_cast<int32_t>(command - m_nCommandBase));
}
